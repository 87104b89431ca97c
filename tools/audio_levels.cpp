#include <cmath>

#include "tools/audio_buffer.h"

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

}  // namespace tav
