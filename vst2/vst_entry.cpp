// The module's entry point. The older "main" lives in vst_entry_legacy.cpp, which
// only the modules compile, so that a program with a main of its own can link this.
#include "vst2/vst_entry.h"

#include <new>

#include "vst2/ivst_effect.h"
#include "vst2/module_entry.h"

namespace {

tav::AEffect* CreateInstance(tav::audioMasterCallback hostCallback) {
    tav::EntryLockGuard guard;
    tav::IVstEffect* effect = nullptr;
    try {
        effect = tav::CreateEffectInstance(hostCallback);
    } catch (...) {
        // Out of memory while building the instance: no C++ exception may reach the host.
        effect = nullptr;
    }
    if (effect == nullptr) return nullptr;
    effect->EnsureDefaultPreset();
    tav::AEffect* record = effect->Effect();
    if (record->numPrograms <= 0) record->numPrograms = 1;
    return record;
}

}  // namespace

extern "C" {

tav::AEffect* VSTPluginMain(tav::audioMasterCallback hostCallback) {
    return CreateInstance(hostCallback);
}

}  // extern "C"
