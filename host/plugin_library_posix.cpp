#include <dlfcn.h>
#include <sys/stat.h>
#include <sys/utsname.h>

#include "host/plugin_library.h"

namespace tav {

void* PluginLibrary::Open(const std::string& path, std::string* why) {
    // RTLD_LOCAL keeps each module's symbols to itself, as hosts load them.
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        const char* text = dlerror();
        *why = text != nullptr ? text : "cannot load " + path;
    }
    return module;
}

void PluginLibrary::Close(void* module) {
    dlclose(module);
}

void* PluginLibrary::Symbol(const char* name) const {
    return handle != nullptr ? dlsym(handle, name) : nullptr;
}

std::string PluginLibrary::Vst3Binary(const std::string& path) {
    struct stat info = {};
    if (stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return path;
    // The folder is named after the machine, as uname -m prints it.
    struct utsname machine = {};
    const std::string arch = uname(&machine) == 0 ? machine.machine : "x86_64";
    return BinaryInBundle(path, arch + "-linux", ".so");
}

bool PluginLibrary::EnterVst3(std::string* error) {
    using Entry = bool (*)(void*);
    auto entry = reinterpret_cast<Entry>(Symbol("ModuleEntry"));
    void* exit = Symbol("ModuleExit");
    if (entry == nullptr || exit == nullptr) {
        if (error != nullptr) *error = "the module exports no ModuleEntry and ModuleExit";
        return false;
    }
    if (!entry(handle)) {
        if (error != nullptr) *error = "the module's ModuleEntry failed";
        return false;
    }
    vst3Exit = exit;
    return true;
}

}  // namespace tav
