// The extensions the plug-in offers, each in a file of its own, and the lookup
// get_extension answers with.
#pragma once

#include "clap/clap_abi.h"

namespace tav::clap {

extern const clap_plugin_audio_ports kAudioPortsExtension;
extern const clap_plugin_params kParamsExtension;
extern const clap_plugin_state kStateExtension;
extern const clap_plugin_latency kLatencyExtension;
extern const clap_plugin_tail kTailExtension;
extern const clap_plugin_render kRenderExtension;

// None for ids we do not know (and for none).
const void* FindExtension(const char* id);

}  // namespace tav::clap
