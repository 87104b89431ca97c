// audio-ports, latency, tail and render: what the host asks of the plug-in's
// audio beyond the samples.
#include <cstring>

#include "clap/clap_plugin.h"
#include "clap/extensions.h"
#include "core/number_text.h"

namespace tav::clap {
namespace {

uint32_t PortCount(const clap_plugin* plugin, bool) {
    return ClapPlugin::From(plugin, "audio_ports.count") != nullptr ? 1 : 0;
}

// One stereo main port each way. The input always goes through scratch first,
// so the host may hand the same buffers for both.
bool PortInfo(const clap_plugin* plugin, uint32_t index, bool isInput, clap_audio_port_info* info) {
    if (ClapPlugin::From(plugin, "audio_ports.get") == nullptr || info == nullptr || index != 0)
        return false;
    std::memset(info, 0, sizeof *info);
    info->id = 0;
    CopyText(info->name, sizeof info->name, isInput ? "Stereo In" : "Stereo Out");
    info->flags = CLAP_AUDIO_PORT_IS_MAIN | CLAP_AUDIO_PORT_SUPPORTS_64BITS |
                  CLAP_AUDIO_PORT_REQUIRES_COMMON_SAMPLE_SIZE;
    info->channel_count = 2;
    info->port_type = CLAP_PORT_STEREO;
    info->in_place_pair = 0;
    return true;
}

uint32_t Latency(const clap_plugin* plugin) {
    ClapPlugin::From(plugin, "latency.get");
    return 0;
}

uint32_t Tail(const clap_plugin* plugin) {
    ClapPlugin* self = ClapPlugin::From(plugin, "tail.get", ThreadRole::MainOrAudio);
    return self != nullptr && self->Ready() ? self->Plugin().TailFrames() : 0;
}

// Offline or not, the effect renders the same: nothing to switch.
bool HardRealtime(const clap_plugin* plugin) {
    ClapPlugin::From(plugin, "render.has_hard_realtime_requirement");
    return false;
}

bool SetRenderMode(const clap_plugin* plugin, int32_t mode) {
    return ClapPlugin::From(plugin, "render.set") != nullptr &&
           (mode == CLAP_RENDER_REALTIME || mode == CLAP_RENDER_OFFLINE);
}

}  // namespace

const clap_plugin_audio_ports kAudioPortsExtension = {PortCount, PortInfo};
const clap_plugin_latency kLatencyExtension = {Latency};
const clap_plugin_tail kTailExtension = {Tail};
const clap_plugin_render kRenderExtension = {HardRealtime, SetRenderMode};

}  // namespace tav::clap
