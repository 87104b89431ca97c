// The entry point every module exports; hosts call it once per instance.
#pragma once

#include "host/vst2_abi.h"

extern "C" tav::AEffect* VSTPluginMain(tav::audioMasterCallback hostCallback);
