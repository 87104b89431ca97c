// The extensions the plug-in offers, each in a file of its own, and the lookup
// get_extension answers with.
#pragma once

#include "clap/clap_abi.h"
#include "clap/clap_abi_controls.h"

namespace tav::clap {

extern const clap_plugin_audio_ports kAudioPortsExtension;
extern const clap_plugin_params kParamsExtension;
extern const clap_plugin_state kStateExtension;
extern const clap_plugin_latency kLatencyExtension;
extern const clap_plugin_tail kTailExtension;
extern const clap_plugin_render kRenderExtension;
extern const clap_plugin_remote_controls kRemoteControlsExtension;
extern const clap_plugin_param_indication kParamIndicationExtension;
extern const clap_plugin_context_menu kContextMenuExtension;

class ClapPlugin;
// The host's context-menu entries in the face's own menu, when the host has any.
void OfferHostMenu(ClapPlugin& plugin);

// None for ids we do not know (and for none).
const void* FindExtension(const char* id);

}  // namespace tav::clap
