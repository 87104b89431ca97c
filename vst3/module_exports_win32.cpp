// Windows loaders may call these after LoadLibrary and before FreeLibrary.
#include "vst3/module_exports.h"

extern "C" bool InitDll() {
    return tav::vst3::ModuleLoaded();
}

extern "C" bool ExitDll() {
    return tav::vst3::ModuleUnloaded();
}
