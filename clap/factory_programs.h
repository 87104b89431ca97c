// The seven factory programs as CLAP lists them: through the preset-discovery
// factory (their names, inside the module) and loaded by preset-load, the load
// key being the program's number.
#pragma once

#include "clap/clap_abi_presets.h"

namespace tav::clap {

extern const clap_preset_discovery_factory kPresetDiscoveryFactory;
extern const clap_plugin_preset_load kPresetLoadExtension;

// The program a load key names, or -1.
int ProgramOfLoadKey(const char* key);

}  // namespace tav::clap
