#include "host/render.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tav {
namespace {

// The frames the block from start may have before the transport splits it: the
// block size, up to the input's end and the next rate change.
int Wanted(const RenderOptions& options, std::int64_t start, std::int64_t total, size_t change) {
    std::int64_t most = std::min<std::int64_t>(std::max(1, options.blockSize), total - start);
    if (change < options.rateChanges.size())
        most = std::min(most, options.rateChanges[change].frame - start);
    return static_cast<int>(std::max<std::int64_t>(1, most));
}

}  // namespace

bool AutomationLane::ValueAt(std::int64_t frame, double* value) const {
    const auto after =
        std::upper_bound(moves.begin(), moves.end(), frame,
                         [](std::int64_t at, const FrameMove& move) { return at < move.start; });
    if (after == moves.begin()) return false;
    const FrameMove& move = *(after - 1);
    *value = frame >= move.end
                 ? move.to
                 : move.from + (move.to - move.from) * static_cast<double>(frame - move.start) /
                                   static_cast<double>(move.end - move.start);
    return true;
}

std::vector<std::int64_t> FramesOfBeats(HostTransport transport, std::int64_t total,
                                        const RenderOptions& options,
                                        const std::vector<double>& beats) {
    std::vector<std::int64_t> frames(beats.size(), -1);
    size_t change = 0;
    for (std::int64_t start = 0; start < total;) {
        for (; change < options.rateChanges.size() && options.rateChanges[change].frame <= start;
             ++change) {
            transport.SetSampleRate(options.rateChanges[change].rate);
        }
        const int wanted = Wanted(options, start, total, change);
        const int n = std::clamp(transport.MaxFrames(wanted), 1, wanted);
        const TransportState& now = transport.Now();
        for (size_t b = 0; b < beats.size(); ++b) {
            if (frames[b] >= 0 || !now.playing || !(now.tempo > 0.0)) continue;
            if (transport.BeatAfter(n) < beats[b]) continue;
            // The first frame of the block at or past the beat: the beats rise within it.
            int lo = 0, hi = n;
            while (lo < hi) {
                const int mid = (lo + hi) / 2;
                if (transport.BeatAfter(mid) >= beats[b]) {
                    hi = mid;
                } else {
                    lo = mid + 1;
                }
            }
            frames[b] = start + lo;
        }
        transport.Advance(n);
        start += n;
    }
    return frames;
}

AudioBuffer Render(PluginInstance& plugin, const AudioBuffer& input, const RenderOptions& options,
                   std::string* error) {
    const int numIn = std::max(0, plugin.NumInputs());
    const int numOut = std::max(0, plugin.NumOutputs());
    const int block = std::max(1, options.blockSize);
    const std::int64_t total = input.NumFrames();

    AudioBuffer output;
    output.sampleRate = input.sampleRate;
    output.Resize(numOut, total);

    // Separate host buffers per channel, sized once, as a host's mixer would own them.
    std::vector<std::vector<float>> in32(static_cast<size_t>(numIn), std::vector<float>(block));
    std::vector<std::vector<float>> out32(static_cast<size_t>(numOut), std::vector<float>(block));
    std::vector<std::vector<double>> in64(static_cast<size_t>(numIn), std::vector<double>(block));
    std::vector<std::vector<double>> out64(static_cast<size_t>(numOut), std::vector<double>(block));
    std::vector<float*> inPtr32, outPtr32;
    std::vector<double*> inPtr64, outPtr64;
    for (auto& c : in32) inPtr32.push_back(c.data());
    for (auto& c : out32) outPtr32.push_back(c.data());
    for (auto& c : in64) inPtr64.push_back(c.data());
    for (auto& c : out64) outPtr64.push_back(c.data());

    const bool inBlock = options.sampleAccurate && plugin.TakesChangesInBlock();
    std::vector<double> sent(options.lanes.size(), NAN);
    auto send = [&](std::int64_t frame, int offset) {
        for (size_t l = 0; l < options.lanes.size(); ++l) {
            double value;
            if (!options.lanes[l].ValueAt(frame, &value) || value == sent[l]) continue;
            plugin.SetParamValueAt(options.lanes[l].param, value, offset);
            sent[l] = value;
        }
    };
    size_t change = 0;
    for (std::int64_t start = 0; start < total;) {
        for (; change < options.rateChanges.size() && options.rateChanges[change].frame <= start;
             ++change) {
            plugin.StopAudio();
            std::string why;
            if (!plugin.ChangeSampleRate(options.rateChanges[change].rate, &why) ||
                !plugin.StartAudio(options.kind, &why)) {
                if (error != nullptr) *error = why;
                return output;
            }
        }
        const int wanted = Wanted(options, start, total, change);
        const int n = std::clamp(plugin.BlockFrames(wanted), 1, wanted);
        for (int index : options.resend) plugin.ResendParam(index);
        // Frame by frame across the lanes, so that events stay in time order.
        for (int i = 0; i < (inBlock ? n : 1) && !options.lanes.empty(); ++i) send(start + i, i);
        for (int c = 0; c < numIn; ++c) {
            const float* src =
                input.NumChannels() > 0
                    ? input.channels[static_cast<size_t>(c % input.NumChannels())].data() + start
                    : nullptr;
            for (int i = 0; i < n; ++i) {
                float v = src != nullptr ? src[i] : 0.0f;
                in32[static_cast<size_t>(c)][static_cast<size_t>(i)] = v;
                in64[static_cast<size_t>(c)][static_cast<size_t>(i)] = v;
            }
        }
        if (options.kind == ProcessKind::Double) {
            plugin.ProcessDouble(inPtr64.data(), outPtr64.data(), n);
        } else {
            // An accumulating plug-in adds to what is there: start from silence.
            for (auto& c : out32) std::fill(c.begin(), c.end(), 0.0f);
            plugin.Process(options.kind, inPtr32.data(), outPtr32.data(), n);
        }
        for (int c = 0; c < numOut; ++c) {
            float* dst = output.channels[static_cast<size_t>(c)].data() + start;
            for (int i = 0; i < n; ++i) {
                dst[i] =
                    options.kind == ProcessKind::Double
                        ? static_cast<float>(out64[static_cast<size_t>(c)][static_cast<size_t>(i)])
                        : out32[static_cast<size_t>(c)][static_cast<size_t>(i)];
            }
        }
        plugin.AdvanceTransport(n);
        start += n;
        if (options.progress) options.progress(start, total);
    }
    return output;
}

}  // namespace tav
