// Planar 32-bit audio with its sample rate, as read from and written to files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tav {

struct AudioBuffer {
    double sampleRate = 44100.0;
    std::vector<std::vector<float>> channels;

    int NumChannels() const { return static_cast<int>(channels.size()); }
    std::int64_t NumFrames() const {
        return channels.empty() ? 0 : static_cast<std::int64_t>(channels[0].size());
    }
    void Resize(int numChannels, std::int64_t frames) {
        channels.assign(static_cast<size_t>(numChannels),
                        std::vector<float>(static_cast<size_t>(frames), 0.0f));
    }
};

// Peak and RMS of one channel, or of all channels together (channel -1).
struct AudioLevels {
    double peak = 0.0;
    double rms = 0.0;
};
AudioLevels MeasureLevels(const AudioBuffer& audio, int channel = -1);

// Clicks: the largest fourth difference of the samples (about a step's height,
// tiny for smooth audio such as a chord) in the first frames of the blocks a
// host of that block size renders, and everywhere else.
struct StepLevels {
    double atBlockStarts = 0.0;
    double elsewhere = 0.0;
};
StepLevels MeasureSteps(const AudioBuffer& audio, int blockFrames);

// WAV files: the native build reads and writes through libsndfile (any format it
// knows on input, 32-bit float on output); the Windows build uses FloatWav.
bool ReadAudioFile(const std::string& path, AudioBuffer* out, std::string* error);
bool WriteAudioFile(const std::string& path, const AudioBuffer& audio, std::string* error);

}  // namespace tav
