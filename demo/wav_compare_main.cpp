// tavwav: level and difference figures of rendered WAV files, for the demo table.
//   tavwav A.wav [B.wav] [--from SECONDS]
//                           peak and RMS of A (all channels), plus the largest sample
//                           difference between A and B, from that time on
//   tavwav --clicks A.wav --block N
//                           the largest step in A at the starts of N-frame blocks and
//                           elsewhere, in dBFS
//   tavwav --hf-peak A.wav --at T1,T2,... [--window-ms 10] [--cutoff 8000]
//                           the peak (dBFS, largest channel) of A's band above the
//                           cutoff within the window after each time (seconds), and the
//                           largest; the band is an 8th-order Butterworth high-pass run
//                           forward over the whole file
//   tavwav --hf-rms A.wav --from A --to B [--cutoff 10000]
//                           the RMS (dBFS, largest channel) of that band between two times
//   tavwav --sweep DRY.wav WET.wav OUT.png [--title TEXT] [--tempo BPM]
//                          [--versus WET2.wav --names A,B]
//                           a picture of the processed/dry gain over time and frequency,
//                           titled, with a beat axis when the tempo is given; with
//                           --versus, the left channels of two renders one above the other
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "demo/band_picture.h"
#include "demo/high_band.h"
#include "demo/sweep_picture.h"
#include "host/audio_buffer.h"

namespace {

double LargestDifference(const tav::AudioBuffer& a, const tav::AudioBuffer& b, int64_t from) {
    if (a.NumChannels() != b.NumChannels() || a.NumFrames() != b.NumFrames()) return INFINITY;
    double largest = 0.0;
    for (int c = 0; c < a.NumChannels(); ++c) {
        for (size_t i = static_cast<size_t>(std::max<int64_t>(from, 0)); i < a.channels[c].size();
             ++i) {
            const double d = std::fabs(static_cast<double>(a.channels[c][i]) - b.channels[c][i]);
            if (d > largest || d != d) largest = d != d ? INFINITY : d;
        }
    }
    return largest;
}

double Decibels(double level) {
    return level > 0.0 ? 20.0 * std::log10(level) : -INFINITY;
}

bool ParseNumber(const char* text, double* out) {
    char* end = nullptr;
    *out = std::strtod(text, &end);
    return end != text && *end == '\0' && std::isfinite(*out);
}

// Reads a WAV file, or says why not.
bool Read(const std::string& path, tav::AudioBuffer* audio) {
    std::string error;
    if (tav::ReadAudioFile(path, audio, &error)) return true;
    std::fprintf(stderr, "tavwav: %s: %s\n", path.c_str(), error.c_str());
    return false;
}

// The left channel of each render, side by side as the channels of one buffer.
tav::AudioBuffer LeftChannels(const tav::AudioBuffer& a, const tav::AudioBuffer& b) {
    tav::AudioBuffer both;
    both.sampleRate = a.sampleRate;
    both.channels = {a.channels.at(0), b.channels.at(0)};
    return both;
}

int Sweep(int argc, char** argv, const char* usage) {
    tav::SweepLabels labels;
    std::string versus;
    for (int i = 5; i < argc; i += 2) {
        const std::string option = argv[i];
        if (i + 1 < argc && option == "--title") {
            labels.title = argv[i + 1];
        } else if (i + 1 < argc && option == "--tempo") {
            labels.tempo = std::atof(argv[i + 1]);
        } else if (i + 1 < argc && option == "--versus") {
            versus = argv[i + 1];
        } else if (i + 1 < argc && option == "--names") {
            const std::string names = argv[i + 1];
            const size_t comma = names.find(',');
            if (comma == std::string::npos) break;
            labels.bandNames = {names.substr(0, comma), names.substr(comma + 1)};
        } else {
            std::fprintf(stderr, "%s", usage);
            return 2;
        }
    }
    tav::AudioBuffer dry;
    tav::AudioBuffer wet;
    tav::AudioBuffer other;
    std::string error;
    if (!tav::ReadAudioFile(argv[2], &dry, &error) || !tav::ReadAudioFile(argv[3], &wet, &error) ||
        (!versus.empty() && !tav::ReadAudioFile(versus, &other, &error))) {
        std::fprintf(stderr, "tavwav: %s\n", error.c_str());
        return 1;
    }
    if (!versus.empty()) {
        if (dry.NumChannels() == 0 || wet.NumChannels() == 0 || other.NumChannels() == 0) {
            std::fprintf(stderr, "tavwav: a file without channels\n");
            return 1;
        }
        dry = LeftChannels(dry, dry);
        wet = LeftChannels(wet, other);
    }
    if (!tav::WriteTransferSpectrogram(dry, wet, labels, argv[4], &error)) {
        std::fprintf(stderr, "tavwav: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

int BandPicture(int argc, char** argv, const char* usage) {
    tav::BandPictureLabels labels;
    std::vector<tav::AudioBuffer> renders;
    std::string error;
    for (int i = 3; i < argc; ++i) {
        const std::string option = argv[i];
        double number = 0.0;
        if (i + 1 < argc && option == "--title") {
            labels.title = argv[++i];
        } else if (i + 1 < argc && option == "--names") {
            std::string names = argv[++i];
            for (size_t comma; (comma = names.find(',')) != std::string::npos;
                 names.erase(0, comma + 1))
                labels.names.push_back(names.substr(0, comma));
            labels.names.push_back(names);
        } else if (i + 1 < argc && option == "--cutoff" && ParseNumber(argv[i + 1], &number) &&
                   number > 0.0) {
            labels.cutoff = number;
            ++i;
        } else if (i + 1 < argc && option == "--seconds" && ParseNumber(argv[i + 1], &number) &&
                   number > 0.0) {
            labels.seconds = number;
            ++i;
        } else if (option.rfind("--", 0) == 0) {
            std::fprintf(stderr, "%s", usage);
            return 2;
        } else {
            renders.emplace_back();
            if (!Read(option, &renders.back())) return 1;
        }
    }
    if (!tav::WriteBandPicture(renders, labels, argv[2], &error)) {
        std::fprintf(stderr, "tavwav: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

int Clicks(int argc, char** argv, const char* usage) {
    double block = 0.0;
    if (argc != 5 || std::string(argv[3]) != "--block" || !ParseNumber(argv[4], &block) ||
        block < 1.0 || block > 1 << 20) {
        std::fprintf(stderr, "%s", usage);
        return 2;
    }
    tav::AudioBuffer a;
    if (!Read(argv[2], &a)) return 1;
    const tav::StepLevels steps = tav::MeasureSteps(a, static_cast<int>(block));
    std::printf("block-starts %.1f dBFS elsewhere %.1f dBFS\n", Decibels(steps.atBlockStarts),
                Decibels(steps.elsewhere));
    return 0;
}

// "T1,T2,...": times in seconds, none below 0.
bool ParseTimes(const std::string& list, std::vector<double>* times) {
    for (size_t at = 0; at <= list.size();) {
        const size_t comma = std::min(list.find(',', at), list.size());
        double time;
        if (!ParseNumber(list.substr(at, comma - at).c_str(), &time) || time < 0.0) return false;
        times->push_back(time);
        at = comma + 1;
    }
    return true;
}

// Clicks in the band above a cutoff: its peak after each change time, or its
// RMS between two times.
int HighBandFigures(int argc, char** argv, const char* usage) {
    const bool peak = std::string(argv[1]) == "--hf-peak";
    double windowMs = 10.0, cutoff = peak ? 8000.0 : 10000.0, from = -1.0, to = -1.0;
    std::vector<double> times;
    for (int i = 3; i < argc; i += 2) {
        const std::string option = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : "";
        bool good = false;
        if (peak && option == "--at") {
            good = ParseTimes(value, &times);
        } else if (peak && option == "--window-ms") {
            good = ParseNumber(value, &windowMs) && windowMs > 0.0;
        } else if (option == "--cutoff") {
            good = ParseNumber(value, &cutoff) && cutoff > 0.0;
        } else if (!peak && option == "--from") {
            good = ParseNumber(value, &from) && from >= 0.0;
        } else if (!peak && option == "--to") {
            good = ParseNumber(value, &to);
        }
        if (!good) {
            std::fprintf(stderr, "tavwav: bad %s %s\n%s", option.c_str(), value, usage);
            return 2;
        }
    }
    if (peak ? times.empty() : !(from >= 0.0 && to > from)) {
        std::fprintf(stderr, "%s", usage);
        return 2;
    }
    tav::AudioBuffer a;
    if (!Read(argv[2], &a)) return 1;
    if (!(cutoff < a.sampleRate / 2.0)) {
        std::fprintf(stderr, "tavwav: the cutoff must lie below half the rate, %g Hz\n",
                     a.sampleRate / 2.0);
        return 2;
    }
    const auto band = tav::HighBand(a, cutoff);
    auto frame = [&](double seconds) { return std::llround(seconds * a.sampleRate); };
    if (!peak) {
        std::printf("hf-rms %.1f dBFS\n", Decibels(tav::BandRms(band, frame(from), frame(to))));
        return 0;
    }
    double largest = 0.0, largestAt = times[0];
    for (double time : times) {
        const double level =
            tav::BandPeak(band, frame(time), frame(time) + frame(windowMs / 1000.0));
        std::printf("at %.3f s: %.1f dBFS\n", time, Decibels(level));
        if (level > largest) largest = level, largestAt = time;
    }
    std::printf("largest %.1f dBFS at %.3f s\n", Decibels(largest), largestAt);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const char* usage =
        "usage: tavwav A.wav [B.wav] [--from SECONDS] | tavwav --clicks A.wav --block N |\n"
        "       tavwav --sweep DRY.wav WET.wav OUT.png [--title TEXT] [--tempo BPM]\n"
        "              [--versus WET2.wav --names A,B] |\n"
        "       tavwav --hf-peak A.wav --at T1,T2,... [--window-ms 10] [--cutoff 8000] |\n"
        "       tavwav --hf-rms A.wav --from A --to B [--cutoff 10000] |\n"
        "       tavwav --band-picture OUT.png A.wav [B.wav ...] [--names A,B] [--title TEXT]\n"
        "              [--cutoff 8000] [--seconds S]\n"
        "  (--hf-*: the band above the cutoff, an 8th-order Butterworth high-pass run\n"
        "  forward over the file; peak within the window after each time, in seconds, or\n"
        "  RMS between two; dBFS, the largest channel's; --band-picture: its peak over\n"
        "  time, the renders one above the other)\n";
    if (argc >= 5 && std::string(argv[1]) == "--sweep") return Sweep(argc, argv, usage);
    if (argc >= 2 && std::string(argv[1]) == "--clicks") return Clicks(argc, argv, usage);
    if (argc >= 4 && std::string(argv[1]) == "--band-picture")
        return BandPicture(argc, argv, usage);
    if (argc >= 3 && (std::string(argv[1]) == "--hf-peak" || std::string(argv[1]) == "--hf-rms"))
        return HighBandFigures(argc, argv, usage);
    double from = 0.0;
    if (argc >= 4 && std::string(argv[argc - 2]) == "--from") {
        if (!ParseNumber(argv[argc - 1], &from) || from < 0.0) {
            std::fprintf(stderr, "%s", usage);
            return 2;
        }
        argc -= 2;
    }
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "%s", usage);
        return 2;
    }
    tav::AudioBuffer a;
    tav::AudioBuffer b;
    std::string error;
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
        const auto fromFrame = static_cast<int64_t>(std::llround(from * a.sampleRate));
        std::printf(" maxdiff %.9g", LargestDifference(a, b, fromFrame));
    }
    std::printf("\n");
    return 0;
}
