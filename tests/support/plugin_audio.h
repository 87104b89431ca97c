// Audio through a hosted plug-in of any format, as the format suites play it.
#pragma once

#include <cmath>
#include <numbers>
#include <vector>

#include "host/plugin_instance.h"

namespace tav::test {

using Channels = std::vector<std::vector<float>>;

// A stereo chord from frame from on, the right side a fifth above.
inline Channels Chord(int frames, int from = 0) {
    Channels in(2, std::vector<float>(static_cast<size_t>(frames)));
    for (int f = 0; f < frames; ++f) {
        const double t = (from + f) / 44100.0;
        in[0][f] = static_cast<float>(0.4 * std::sin(2 * std::numbers::pi * 220 * t));
        in[1][f] = static_cast<float>(0.3 * std::sin(2 * std::numbers::pi * 330 * t));
    }
    return in;
}

// One block through the plug-in, the transport moving on after it.
inline Channels RenderBlock(PluginInstance& plugin, Channels in) {
    Channels out(2, std::vector<float>(in[0].size()));
    float* ins[2] = {in[0].data(), in[1].data()};
    float* outs[2] = {out[0].data(), out[1].data()};
    plugin.Process(ProcessKind::Replacing, ins, outs, static_cast<int>(in[0].size()));
    plugin.AdvanceTransport(static_cast<int>(in[0].size()));
    return out;
}

}  // namespace tav::test
