// Linux loaders call these around dlopen and dlclose.
#include "vst3/module_exports.h"

extern "C" __attribute__((visibility("default"))) bool ModuleEntry(void*) {
    return tav::vst3::ModuleLoaded();
}

extern "C" __attribute__((visibility("default"))) bool ModuleExit() {
    return tav::vst3::ModuleUnloaded();
}
