// Streams an audio buffer through a plug-in block by block, as a DAW renders.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/audio_buffer.h"
#include "host/host_transport.h"
#include "host/plugin_instance.h"

namespace tav {

// A parameter's value moving linearly from `from` to `to` over frames [start,
// end) of the render, then holding `to`; a step when start == end.
struct FrameMove {
    std::int64_t start = 0, end = 0;
    double from = 0.0, to = 0.0;
};

// One parameter's automation, its moves in order and not overlapping.
struct AutomationLane {
    int param = 0;  // by position
    std::vector<FrameMove> moves;
    // The value at a frame; false before the first move, where the lane says nothing.
    bool ValueAt(std::int64_t frame, double* value) const;
};

// A second activation at another sample rate, from a frame of the render on.
struct RateChange {
    std::int64_t frame = 0;
    double rate = 0.0;
};

struct RenderOptions {
    ProcessKind kind = ProcessKind::Replacing;
    int blockSize = 512;  // blocks are shorter where the plug-in's transport jumps or stops
    // Parameters (by position) sent again at their own value before every block.
    std::vector<int> resend;
    // Automation: at each block's start the value there, or, sample-accurate, at
    // every frame where it changes (where the format takes changes inside blocks;
    // VST 2 per block). A value goes out only when it differs from the last sent.
    std::vector<AutomationLane> lanes;
    bool sampleAccurate = false;
    // In frame order; blocks end where one falls.
    std::vector<RateChange> rateChanges;
    // Called after each block with frames done and frames in total.
    std::function<void(std::int64_t, std::int64_t)> progress;
};

// Feeds input to the plug-in's inputs (input channel c takes file channel
// c mod the file's channel count; no channels means silence) and returns one
// channel per plug-in output. The plug-in's audio must already be started. A
// reactivation the plug-in refuses ends the render there, with the reason.
AudioBuffer Render(PluginInstance& plugin, const AudioBuffer& input, const RenderOptions& options,
                   std::string* error = nullptr);

// The frames of a render of total frames, blocked as Render blocks it, at which
// a transport playing as this one first reaches each beat (the first frame when
// play starts past it); -1 for a beat never reached.
std::vector<std::int64_t> FramesOfBeats(HostTransport transport, std::int64_t total,
                                        const RenderOptions& options,
                                        const std::vector<double>& beats);

}  // namespace tav
