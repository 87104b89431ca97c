// The functions a VST 3 module exports (each platform file adds its own pair of
// load and unload calls).
#pragma once

#include "vst3/vst3_abi.h"

extern "C" tav::vst3::IPluginFactory* GetPluginFactory();

namespace tav::vst3 {
// Counted load and unload calls: the module's own factory reference goes with the last.
bool ModuleLoaded();
bool ModuleUnloaded();
}  // namespace tav::vst3
