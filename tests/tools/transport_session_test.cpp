// tavhost plays sessions (ramped tempo, a start past the song's beginning, loops,
// pauses, flat automation lanes) into each format's module: each renders all of
// its input, and the three formats, told the same, sound the same.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "tools/audio_buffer.h"
#include "tools/host_cli.h"

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

// Two seconds of noise through the module; empty when tavhost failed.
AudioBuffer Rendered(const Format& format, Args args) {
    const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    const std::string wav = std::string(TAV_BINARY_DIR) + "/tests/tools/transport_" + test + "_" +
                            std::to_string(&format - kFormats) + ".wav";
    args.insert(args.begin(), format.module);
    args.insert(args.end(), {"--generate", "noise", "--quiet", "--out", wav});
    std::ostringstream out, err;
    AudioBuffer audio;
    std::string error;
    EXPECT_EQ(HostMain(args, out, err), 0) << format.name << ": " << err.str();
    EXPECT_TRUE(ReadAudioFile(wav, &audio, &error)) << error;
    std::remove(wav.c_str());
    return audio;
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
    lanes.insert(lanes.end(), {"--resend", "Left Depth", "--resend", "3", "--resend", "Accent"});
    for (const Format& format : kFormats) {
        EXPECT_TRUE(SameBits(Rendered(format, kSynced), Rendered(format, lanes))) << format.name;
    }
}

}  // namespace
}  // namespace tav
