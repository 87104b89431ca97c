#include <dlfcn.h>

#include "tools/plugin_library.h"

namespace tav {

bool PluginLibrary::Load(const std::string& path, std::string* error) {
    Unload();
    // RTLD_LOCAL keeps each module's symbols to itself, as hosts load them.
    handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr && error != nullptr) {
        const char* why = dlerror();
        *error = why != nullptr ? why : "cannot load " + path;
    }
    return handle != nullptr;
}

void PluginLibrary::Unload() {
    if (handle != nullptr) dlclose(handle);
    handle = nullptr;
}

void* PluginLibrary::Symbol(const char* name) const {
    return handle != nullptr ? dlsym(handle, name) : nullptr;
}

}  // namespace tav
