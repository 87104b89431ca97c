#include "tools/render.h"

#include <algorithm>
#include <vector>

namespace tav {

AudioBuffer Render(PluginInstance& plugin, const AudioBuffer& input, const RenderOptions& options) {
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

    for (std::int64_t start = 0; start < total;) {
        const int wanted = static_cast<int>(std::min<std::int64_t>(block, total - start));
        const int n = std::clamp(plugin.BlockFrames(wanted), 1, wanted);
        for (int index : options.resend) plugin.ResendParam(index);
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
