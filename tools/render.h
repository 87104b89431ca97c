// Streams an audio buffer through a plug-in block by block, as a DAW renders.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "tools/audio_buffer.h"
#include "tools/plugin_instance.h"

namespace tav {

struct RenderOptions {
    ProcessKind kind = ProcessKind::Replacing;
    int blockSize = 512;  // blocks are shorter where the plug-in's transport jumps or stops
    // Parameters (by position) sent again at their own value before every block.
    std::vector<int> resend;
    // Called after each block with frames done and frames in total.
    std::function<void(std::int64_t, std::int64_t)> progress;
};

// Feeds input to the plug-in's inputs (input channel c takes file channel
// c mod the file's channel count; no channels means silence) and returns one
// channel per plug-in output. The plug-in's audio must already be started.
AudioBuffer Render(PluginInstance& plugin, const AudioBuffer& input, const RenderOptions& options);

}  // namespace tav
