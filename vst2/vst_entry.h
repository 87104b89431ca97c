// The entry point every module exports; hosts call it once per instance.
#pragma once

#include "vst2/vst2_abi.h"

extern "C" tav::AEffect* VSTPluginMain(tav::audioMasterCallback hostCallback);
