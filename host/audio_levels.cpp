#include <algorithm>
#include <cmath>

#include "host/audio_buffer.h"

namespace tav {

AudioLevels MeasureLevels(const AudioBuffer& audio, int channel) {
    AudioLevels levels;
    double sum = 0.0;
    std::int64_t count = 0;
    for (int c = 0; c < audio.NumChannels(); ++c) {
        if (channel >= 0 && c != channel) continue;
        for (float v : audio.channels[static_cast<size_t>(c)]) {
            levels.peak = std::fmax(levels.peak, std::fabs(static_cast<double>(v)));
            sum += static_cast<double>(v) * v;
        }
        count += audio.NumFrames();
    }
    levels.rms = count > 0 ? std::sqrt(sum / static_cast<double>(count)) : 0.0;
    return levels;
}

StepLevels MeasureSteps(const AudioBuffer& audio, int blockFrames) {
    StepLevels steps;
    if (blockFrames <= 0) return steps;
    for (const std::vector<float>& y : audio.channels) {
        for (size_t k = 4; k < y.size(); ++k) {
            const double d4 = static_cast<double>(y[k]) - 4.0 * y[k - 1] + 6.0 * y[k - 2] -
                              4.0 * y[k - 3] + static_cast<double>(y[k - 4]);
            // The first four frames of a block are the ones a step there reaches.
            const bool atStart =
                k >= static_cast<size_t>(blockFrames) && k % static_cast<size_t>(blockFrames) < 4;
            double& largest = atStart ? steps.atBlockStarts : steps.elsewhere;
            largest = std::max(largest, std::fabs(d4));
        }
    }
    return steps;
}

}  // namespace tav
