// tavwav: level and difference figures of rendered WAV files, for the demo table.
//   tavwav A.wav            peak and RMS of A (all channels)
//   tavwav A.wav B.wav      the same, plus the largest sample difference between A and B
//   tavwav --sweep DRY.wav WET.wav OUT.png [--title TEXT] [--tempo BPM]
//                           a picture of the processed/dry gain over time and frequency,
//                           titled, with a beat axis when the tempo is given
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/audio_buffer.h"
#include "tools/sweep_picture.h"

namespace {

double LargestDifference(const tav::AudioBuffer& a, const tav::AudioBuffer& b) {
    if (a.NumChannels() != b.NumChannels() || a.NumFrames() != b.NumFrames()) return INFINITY;
    double largest = 0.0;
    for (int c = 0; c < a.NumChannels(); ++c) {
        for (size_t i = 0; i < a.channels[c].size(); ++i) {
            const double d = std::fabs(static_cast<double>(a.channels[c][i]) - b.channels[c][i]);
            if (d > largest || d != d) largest = d != d ? INFINITY : d;
        }
    }
    return largest;
}

}  // namespace

int main(int argc, char** argv) {
    tav::AudioBuffer a;
    tav::AudioBuffer b;
    std::string error;
    const char* usage =
        "usage: tavwav A.wav [B.wav] | tavwav --sweep DRY.wav WET.wav OUT.png [--title TEXT] "
        "[--tempo BPM]\n";
    if (argc >= 5 && std::string(argv[1]) == "--sweep") {
        tav::SweepLabels labels;
        for (int i = 5; i < argc; i += 2) {
            const std::string option = argv[i];
            if (i + 1 < argc && option == "--title") {
                labels.title = argv[i + 1];
            } else if (i + 1 < argc && option == "--tempo") {
                labels.tempo = std::atof(argv[i + 1]);
            } else {
                std::fprintf(stderr, "%s", usage);
                return 2;
            }
        }
        if (!tav::ReadAudioFile(argv[2], &a, &error) || !tav::ReadAudioFile(argv[3], &b, &error) ||
            !tav::WriteTransferSpectrogram(a, b, labels, argv[4], &error)) {
            std::fprintf(stderr, "tavwav: %s\n", error.c_str());
            return 1;
        }
        return 0;
    }
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "%s", usage);
        return 2;
    }
    if (!tav::ReadAudioFile(argv[1], &a, &error)) {
        std::fprintf(stderr, "tavwav: %s: %s\n", argv[1], error.c_str());
        return 1;
    }
    const tav::AudioLevels levels = tav::MeasureLevels(a);
    std::printf("peak %.6f rms %.6f", levels.peak, levels.rms);
    if (argc == 3) {
        if (!tav::ReadAudioFile(argv[2], &b, &error)) {
            std::fprintf(stderr, "\ntavwav: %s: %s\n", argv[2], error.c_str());
            return 1;
        }
        std::printf(" maxdiff %.9g", LargestDifference(a, b));
    }
    std::printf("\n");
    return 0;
}
