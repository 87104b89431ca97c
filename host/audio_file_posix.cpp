#include <sndfile.h>

#include <memory>
#include <vector>

#include "host/audio_buffer.h"

namespace tav {
namespace {

struct SndfileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using Sndfile = std::unique_ptr<SNDFILE, SndfileCloser>;

constexpr sf_count_t kChunkFrames = 8192;

}  // namespace

bool ReadAudioFile(const std::string& path, AudioBuffer* out, std::string* error) {
    SF_INFO info = {};
    Sndfile file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file || info.channels <= 0) {
        if (error != nullptr) *error = path + ": " + sf_strerror(nullptr);
        return false;
    }
    out->sampleRate = info.samplerate;
    out->Resize(info.channels, 0);
    std::vector<float> block(static_cast<size_t>(kChunkFrames * info.channels));
    for (sf_count_t got; (got = sf_readf_float(file.get(), block.data(), kChunkFrames)) > 0;) {
        for (int c = 0; c < info.channels; ++c) {
            auto& channel = out->channels[static_cast<size_t>(c)];
            for (sf_count_t f = 0; f < got; ++f) {
                channel.push_back(block[static_cast<size_t>(f * info.channels + c)]);
            }
        }
    }
    return true;
}

bool WriteAudioFile(const std::string& path, const AudioBuffer& audio, std::string* error) {
    SF_INFO info = {};
    info.samplerate = static_cast<int>(audio.sampleRate + 0.5);
    info.channels = audio.NumChannels();
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    Sndfile file(info.channels > 0 ? sf_open(path.c_str(), SFM_WRITE, &info) : nullptr);
    if (!file) {
        if (error != nullptr) *error = path + ": cannot create (" + sf_strerror(nullptr) + ")";
        return false;
    }
    // Plain float WAV, the same samples and layout as the Windows build writes.
    sf_command(file.get(), SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
    const sf_count_t frames = audio.NumFrames();
    std::vector<float> block(static_cast<size_t>(kChunkFrames * info.channels));
    for (sf_count_t start = 0; start < frames; start += kChunkFrames) {
        sf_count_t n = frames - start < kChunkFrames ? frames - start : kChunkFrames;
        for (sf_count_t f = 0; f < n; ++f) {
            for (int c = 0; c < info.channels; ++c) {
                block[static_cast<size_t>(f * info.channels + c)] =
                    audio.channels[static_cast<size_t>(c)][static_cast<size_t>(start + f)];
            }
        }
        if (sf_writef_float(file.get(), block.data(), n) != n) {
            if (error != nullptr) *error = path + ": " + sf_strerror(file.get());
            return false;
        }
    }
    return true;
}

}  // namespace tav
