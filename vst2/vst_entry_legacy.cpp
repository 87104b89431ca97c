// The module's older entry point. Compiled into the plug-in modules only: it
// defines the symbol "main", which a program cannot share.
#include "vst2/vst_entry.h"

extern "C" {

// Hosts from before VST 2.4 look for "main". C++ reserves that name for the
// program's own entry, so the function carries it as its assembler name only.
tav::AEffect* VstLegacyMain(tav::audioMasterCallback hostCallback) __asm__("main");
tav::AEffect* VstLegacyMain(tav::audioMasterCallback hostCallback) {
    return VSTPluginMain(hostCallback);
}

}  // extern "C"
