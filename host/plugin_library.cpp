#include "host/plugin_library.h"

namespace tav {

bool PluginLibrary::Load(const std::string& path, std::string* error) {
    Unload();
    std::string why;
    handle = Open(path, &why);
    if (handle == nullptr && error != nullptr) *error = why;
    return handle != nullptr;
}

void PluginLibrary::Unload() {
    ExitVst3();
    if (handle != nullptr) Close(handle);
    handle = nullptr;
}

void PluginLibrary::ExitVst3() {
    auto exit = reinterpret_cast<bool (*)()>(vst3Exit);
    vst3Exit = nullptr;
    if (exit != nullptr) exit();
}

void* PluginLibrary::FindEntry() const {
    // Hosts look for VSTPluginMain first; modules from before VST 2.4 export only main.
    for (const char* name : {"VSTPluginMain", "main"}) {
        if (void* symbol = Symbol(name)) return symbol;
    }
    return nullptr;
}

std::string PluginLibrary::BinaryInBundle(std::string bundle, const std::string& folder,
                                          const char* extension) {
    while (bundle.size() > 1 && (bundle.back() == '/' || bundle.back() == '\\')) bundle.pop_back();
    const size_t slash = bundle.find_last_of("/\\");
    std::string name = bundle.substr(slash == std::string::npos ? 0 : slash + 1);
    const std::string suffix = ".vst3";
    if (name.size() > suffix.size() &&
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
        name.resize(name.size() - suffix.size());
    }
    return bundle + "/Contents/" + folder + "/" + name + extension;
}

}  // namespace tav
