// tavhost plays sessions (ramped tempo, a start past the song's beginning, loops,
// pauses, flat automation lanes) into each format's module: each renders all of
// its input, and the three formats, told the same, sound the same.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/audio_buffer.h"
#include "host/demo_signal.h"
#include "host/host_cli.h"

namespace tav {
namespace {

using Args = std::vector<std::string>;

struct Format {
    const char* name;
    std::string module;
};
const Format kFormats[] = {{"VST 2", TAV_PRODUCT_MODULE_PATH},
                           {"VST 3", TAV_VST3_BUNDLE_PATH},
                           {"CLAP", TAV_CLAP_MODULE_PATH}};

// The audio tavhost renders with these options (a source among them) through the
// module, written where only this test and format write; empty when tavhost failed.
AudioBuffer Render(const Format& format, Args args) {
    const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    const std::string wav = std::string(TAV_BINARY_DIR) + "/tests/host/transport_" + test + "_" +
                            std::to_string(&format - kFormats) + ".wav";
    args.insert(args.begin(), format.module);
    args.insert(args.end(), {"--quiet", "--out", wav});
    std::ostringstream out, err;
    AudioBuffer audio;
    std::string error;
    EXPECT_EQ(HostMain(args, out, err), 0) << format.name << ": " << err.str();
    EXPECT_TRUE(ReadAudioFile(wav, &audio, &error)) << error;
    std::remove(wav.c_str());
    return audio;
}

// Two seconds of noise through the module.
AudioBuffer Rendered(const Format& format, Args args) {
    args.insert(args.end(), {"--generate", "noise"});
    return Render(format, args);
}

bool SameBits(const AudioBuffer& a, const AudioBuffer& b) {
    return a.NumFrames() > 0 && a.channels == b.channels;
}

const Args kSynced = {"--set-text", "Left Sweep Rate=1/4", "--set-text", "Right Sweep Rate=1/8D"};

TEST(TavhostTransport, EveryFormatPlaysLoopsPausesAndRampsAlike) {
    const Args sessions[] = {
        {"--start-beat", "1.5", "--loop", "2:3", "--loop-passes", "2", "--pause", "4:1"},
        {"--tempo-ramp", "100:140", "--loop", "0.5:1.25", "--pause", "2:0.5", "--pause", "3:0.25",
         "--block", "300"},
        {"--tempo", "97", "--start-beat", "0.3", "--process", "double", "--block", "1024"},
    };
    for (const Args& session : sessions) {
        Args args = kSynced;
        args.insert(args.end(), session.begin(), session.end());
        SCOPED_TRACE(session[0] + " " + session[1]);
        std::vector<AudioBuffer> renders;
        for (const Format& format : kFormats) {
            renders.push_back(Rendered(format, args));
            const AudioBuffer& audio = renders.back();
            ASSERT_EQ(audio.NumChannels(), 2) << format.name;
            EXPECT_EQ(audio.NumFrames(), 88200) << format.name;  // pauses stop no audio
            for (const auto& channel : audio.channels) {
                for (float v : channel) ASSERT_TRUE(std::isfinite(v)) << format.name;
            }
        }
        EXPECT_TRUE(SameBits(renders[0], renders[1])) << "VST 3 differs from VST 2";
        EXPECT_TRUE(SameBits(renders[0], renders[2])) << "CLAP differs from VST 2";
    }
}

TEST(TavhostTransport, AFlatAutomationLaneChangesNothing) {
    Args lanes = kSynced;
    lanes.insert(lanes.end(), {"--resend", "Left Depth", "--resend", "3", "--resend", "Accent",
                               "--resend", "Filter Mirror", "--resend", "Right Sweep Rate"});
    for (const Format& format : kFormats) {
        EXPECT_TRUE(SameBits(Rendered(format, kSynced), Rendered(format, lanes))) << format.name;
    }
}

// The first frame where two renders part; -1 where they never do.
std::int64_t FirstDifference(const AudioBuffer& a, const AudioBuffer& b) {
    for (size_t k = 0; k < a.channels.at(0).size() && k < b.channels.at(0).size(); ++k) {
        for (size_t c = 0; c < a.channels.size() && c < b.channels.size(); ++c) {
            if (a.channels[c][k] != b.channels[c][k]) return static_cast<std::int64_t>(k);
        }
    }
    return -1;
}

// A step inside a block waits for the next block's start, unless it is sample-accurate
// and the format places changes in blocks: then it lands on its own frame.
TEST(TavhostTransport, AutomationLandsOnItsFrameWhereTheFormatTakesOffsets) {
    const Args base = {"--block", "1024"};
    for (const Format& format : kFormats) {
        const AudioBuffer plain = Rendered(format, base);
        for (const bool accurate : {false, true}) {
            Args args = base;
            args.insert(args.end(), {"--step", "Wet Left=0@1100"});
            if (accurate) args.push_back("--sample-accurate");
            const std::int64_t first = FirstDifference(plain, Rendered(format, args));
            const std::int64_t due = accurate && &format != &kFormats[0] ? 1100 : 2048;
            EXPECT_GE(first, due) << format.name << " accurate " << accurate;
            EXPECT_LT(first, due + 64) << format.name << " accurate " << accurate;
        }
    }
    // A ramp in beats under a tempo map, frame by frame: VST 3 and CLAP alike, and
    // apart from the same ramp taken per block.
    const Args ramp = {
        "--ramp", "Wet Left=0.8:0.1@1b:3b", "--tempo-map-ramp", "100:140@0b:4b", "--block", "300"};
    Args accurate = ramp;
    accurate.push_back("--sample-accurate");
    const AudioBuffer vst3 = Rendered(kFormats[1], accurate);
    EXPECT_TRUE(SameBits(vst3, Rendered(kFormats[2], accurate)));
    EXPECT_FALSE(SameBits(vst3, Rendered(kFormats[1], ramp)));
}

std::string TempFile(const std::string& name) {
    return std::string(TAV_BINARY_DIR) + "/tests/host/transport_" + name;
}

AudioBuffer RenderFile(const Format& format, Args args, const std::string& in) {
    args.insert(args.end(), {"--in", in});
    return Render(format, args);
}

// How each format is told "Song": VST 3 and CLAP by their parameter, VST 2 by a
// program chunk that carries the setting.
Args SongLocked(const Format& format) {
    if (&format != &kFormats[0]) return {"--set-text", "Sweep Sync=Song"};
    const std::string chunk = TempFile("song.chunk");
    std::ostringstream out, err;
    EXPECT_EQ(HostMain({format.module, "--save-chunk", chunk}, out, err), 0) << err.str();
    std::ofstream file(chunk, std::ios::binary | std::ios::app);
    const char trailer[12] = {'T', 'v', 'S', 'y', 1, 0, 0, 0, 1, 0, 0, 0};
    file.write(trailer, sizeof trailer);
    return {"--load-chunk", chunk};
}

// Locked to the song, bars 6 and 7 sound the same from starts at bars 1, 3 and 5,
// in every format: bit for bit once only the sweep could differ (silence before
// bar 6), and after a bar of settling when the filters remember different pasts.
TEST(TavhostTransport, SongLockedBarsSoundTheSameFromAnyStart) {
    const double tempo = 128.0;
    const double beatFrames = 44100.0 * 60.0 / tempo;
    const auto frameAt = [&](double beat) {
        return static_cast<size_t>(std::llround(beat * beatFrames));
    };
    AudioBuffer song;
    ASSERT_TRUE(GenerateSignal("long-noise", 44100.0, &song));
    song.channels[0].resize(frameAt(28));
    song.channels[1].resize(frameAt(28));
    const Args rates = {"--tempo",    "128",
                        "--set-text", "Left Sweep Rate=1/1D",
                        "--set-text", "Right Sweep Rate=4/1"};
    for (const bool silentBefore : {true, false}) {
        std::vector<AudioBuffer> bars;
        for (const Format& format : kFormats) {
            for (const double startBeat : {0.0, 8.0, 16.0}) {
                const size_t from = frameAt(startBeat);
                AudioBuffer in;
                in.Resize(2, static_cast<int64_t>(song.channels[0].size() - from));
                for (int c = 0; c < 2; ++c) {
                    for (size_t k = 0; k < in.channels[c].size(); ++k) {
                        const bool quiet = silentBefore && from + k < frameAt(20);
                        in.channels[c][k] = quiet ? 0.0f : song.channels[c][from + k];
                    }
                }
                const std::string file = TempFile("start.wav");
                std::string error;
                ASSERT_TRUE(WriteAudioFile(file, in, &error)) << error;
                Args args = rates;
                const Args lock = SongLocked(format);
                args.insert(args.end(), lock.begin(), lock.end());
                args.insert(args.end(),
                            {"--start-beat", std::to_string(static_cast<int>(startBeat))});
                const AudioBuffer out = RenderFile(format, args, file);
                std::remove(file.c_str());
                ASSERT_EQ(out.NumFrames(), in.NumFrames()) << format.name;
                const size_t compareFrom = frameAt(silentBefore ? 20 : 24);
                AudioBuffer bar;
                for (int c = 0; c < 2; ++c)
                    bar.channels.emplace_back(
                        out.channels[c].begin() + static_cast<long>(compareFrom - from),
                        out.channels[c].end());
                bars.push_back(bar);
            }
        }
        for (size_t i = 1; i < bars.size(); ++i)
            EXPECT_TRUE(SameBits(bars[i], bars[0]))
                << "silent before: " << silentBefore << ", take " << i;
    }
}

// A tempo ramp with a new tempo every block neither freezes the sweep nor clicks
// where the blocks meet, free or locked to the song, in any format.
TEST(TavhostTransport, ATempoRampNeitherClicksNorFreezes) {
    const std::string chord = TempFile("chord.wav");
    AudioBuffer in;
    std::string error;
    ASSERT_TRUE(GenerateSignal("chord", 44100.0, &in));
    ASSERT_TRUE(WriteAudioFile(chord, in, &error)) << error;
    for (const Format& format : kFormats) {
        for (const bool song : {false, true}) {
            Args args = {"--tempo-ramp", "100:140", "--block", "256"};
            if (song) {
                const Args lock = SongLocked(format);
                args.insert(args.end(), lock.begin(), lock.end());
            }
            const AudioBuffer out = RenderFile(format, args, chord);
            const StepLevels steps = MeasureSteps(out, 256);
            EXPECT_LT(steps.atBlockStarts, 1e-4) << format.name << " song " << song;  // -80 dBFS
            // A frozen sweep leaves the chord's partials at one gain: the output's
            // level would hardly move from one second to the next.
            double low = 1e9, high = 0.0;
            for (size_t s = 1; s < 30; ++s) {
                double sum = 0.0;
                for (size_t k = s * 44100; k < s * 44100 + 4410; ++k)
                    sum += double(out.channels[0][k]) * out.channels[0][k];
                low = std::min(low, sum);
                high = std::max(high, sum);
            }
            EXPECT_GT(high, 2.0 * low) << format.name << " song " << song;
        }
    }
    std::remove(chord.c_str());
}

}  // namespace
}  // namespace tav
