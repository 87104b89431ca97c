#include <windows.h>

#include "host/plugin_library.h"

namespace tav {
namespace {

std::wstring Widen(const std::string& text) {
    int n = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(), n);
    wide.resize(static_cast<size_t>(n - 1));
    return wide;
}

// Under Wine a Unix path names a file on drive Z:.
std::string WindowsPath(const std::string& path) {
    std::string out = path;
    if (!out.empty() && out[0] == '/') out = "Z:" + out;
    for (char& c : out) {
        if (c == '/') c = '\\';
    }
    return out;
}

}  // namespace

void* PluginLibrary::Open(const std::string& path, std::string* why) {
    HMODULE module = LoadLibraryW(Widen(WindowsPath(path)).c_str());
    if (module == nullptr) {
        *why = "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
    }
    return reinterpret_cast<void*>(module);
}

void PluginLibrary::Close(void* module) {
    FreeLibrary(static_cast<HMODULE>(module));
}

void* PluginLibrary::Symbol(const char* name) const {
    if (handle == nullptr) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}

std::string PluginLibrary::Vst3Binary(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(Widen(WindowsPath(path)).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return path;
    }
    return BinaryInBundle(path, "x86_64-win", ".vst3");
}

bool PluginLibrary::EnterVst3(std::string* error) {
    // Optional here: a module without InitDll needs no call.
    auto entry = reinterpret_cast<bool (*)()>(Symbol("InitDll"));
    if (entry != nullptr && !entry()) {
        if (error != nullptr) *error = "the module's InitDll failed";
        return false;
    }
    vst3Exit = Symbol("ExitDll");
    return true;
}

}  // namespace tav
