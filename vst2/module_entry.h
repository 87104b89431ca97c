// What the VST 2.4 entry point needs of the effect's code.
#pragma once

#include "core/module_handle.h"
#include "vst2/vst2_abi.h"

namespace tav {

class IVstEffect;

// Makes one effect instance; the effect's code provides it. None on failure.
IVstEffect* CreateEffectInstance(audioMasterCallback hostCallback);

}  // namespace tav
