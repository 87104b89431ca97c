// The module's exported entry points. Compiled into the plug-in module only: it
// defines the symbol "main", which a program cannot share.
#include <new>

#include "host/ivst_effect.h"
#include "host/module_entry.h"

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

// Hosts from before VST 2.4 look for "main". C++ reserves that name for the
// program's own entry, so the function carries it as its assembler name only.
tav::AEffect* VstLegacyMain(tav::audioMasterCallback hostCallback) __asm__("main");
tav::AEffect* VstLegacyMain(tav::audioMasterCallback hostCallback) {
    return VSTPluginMain(hostCallback);
}

}  // extern "C"
