// Stereo-or-not audio for the process calls of the fuzz targets: 2 x channels
// buffers of fuzzed samples, and a pointer to each (now and then a missing one).
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <vector>

namespace tav::fuzz {

template <class Sample>
struct FuzzedAudio {
    std::vector<std::vector<Sample>> buffers;
    std::vector<Sample*> pointers;

    // One side's channel pointers: inputs first, outputs after them (or the
    // inputs again when in place); none without channels.
    Sample** Side(int side, int channels, bool inPlace) {
        return channels > 0 ? pointers.data() + (inPlace ? 0 : side * channels) : nullptr;
    }
};

template <class Sample>
FuzzedAudio<Sample> MakeFuzzedAudio(FuzzedDataProvider& in, int frames, int channels) {
    FuzzedAudio<Sample> audio;
    audio.buffers.assign(static_cast<size_t>(2 * channels),
                         std::vector<Sample>(static_cast<size_t>(frames)));
    for (auto& b : audio.buffers) {
        for (auto& s : b) s = static_cast<Sample>(in.ConsumeIntegralInRange(-1000, 1000) / 1000.0);
    }
    for (auto& b : audio.buffers)
        audio.pointers.push_back(in.ConsumeIntegralInRange(0, 15) == 0 ? nullptr : b.data());
    return audio;
}

}  // namespace tav::fuzz
