// The host transport as each format reports it: flags and fields per situation.
#include <gtest/gtest.h>

#include <cmath>

#include "host/formats/transport_report.h"

namespace tav {
namespace {

using vst3::ProcessContext;

TEST(TransportReport, EachFormatSaysPlayingLoopAndTempoAsTheTransportDoes) {
    struct Case {
        const char* what;
        bool playing, changed, hasLoop, loopActive;
        double tempo;
        VstInt32 vst2;
        vst3::uint32 vst3;
        uint32_t clap;
    };
    constexpr VstInt32 kVst2Timed =
        kVstTimeSigValid | kVstTempoValid | kVstPpqPosValid | kVstBarsValid;
    constexpr vst3::uint32 kVst3Timed =
        ProcessContext::kTimeSigValid | ProcessContext::kTempoValid |
        ProcessContext::kProjectTimeMusicValid | ProcessContext::kBarPositionValid;
    constexpr uint32_t kClapTimed =
        clap::CLAP_TRANSPORT_HAS_SECONDS_TIMELINE | clap::CLAP_TRANSPORT_HAS_TIME_SIGNATURE |
        clap::CLAP_TRANSPORT_HAS_TEMPO | clap::CLAP_TRANSPORT_HAS_BEATS_TIMELINE;
    constexpr uint32_t kClapPlaying = clap::CLAP_TRANSPORT_IS_PLAYING;
    constexpr uint32_t kClapLoop = 64;
    const Case cases[] = {
        {"playing", true, false, false, false, 120.0, kVst2Timed | kVstTransportPlaying,
         kVst3Timed | ProcessContext::kPlaying, kClapTimed | kClapPlaying},
        {"paused, just now", false, true, false, false, 120.0, kVst2Timed | kVstTransportChanged,
         kVst3Timed, kClapTimed},
        {"looping", true, true, true, true, 97.0,
         kVst2Timed | kVstTransportPlaying | kVstTransportChanged | kVstCyclePosValid |
             kVstTransportCycleActive,
         kVst3Timed | ProcessContext::kPlaying | ProcessContext::kCycleValid |
             ProcessContext::kCycleActive,
         kClapTimed | kClapPlaying | kClapLoop},
        {"past the last pass", true, false, true, false, 97.0,
         kVst2Timed | kVstTransportPlaying | kVstCyclePosValid,
         kVst3Timed | ProcessContext::kPlaying | ProcessContext::kCycleValid,
         kClapTimed | kClapPlaying},
        {"no tempo", true, false, true, true, 0.0, kVstTimeSigValid | kVstTransportPlaying,
         ProcessContext::kTimeSigValid | ProcessContext::kPlaying,
         clap::CLAP_TRANSPORT_HAS_SECONDS_TIMELINE | clap::CLAP_TRANSPORT_HAS_TIME_SIGNATURE |
             kClapPlaying},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TransportState t;
        t.playing = c.playing;
        t.changed = c.changed;
        t.hasLoop = c.hasLoop;
        t.loopActive = c.loopActive;
        t.tempo = c.tempo;
        t.sampleRate = 48000.0;
        t.samplePos = 96000;
        t.beats = 5.25;
        t.barStart = 4.0;
        t.barNumber = 1;
        t.loopStart = 2.0;
        t.loopEnd = 6.0;
        t.loopStartSample = 48000;
        t.loopEndSample = 144000;

        const VstTimeInfo info = Vst2TimeInfo(t);
        EXPECT_EQ(info.flags, c.vst2);
        EXPECT_EQ(info.samplePos, 96000.0);
        const ProcessContext context = Vst3Context(t);
        EXPECT_EQ(context.state, c.vst3);
        EXPECT_EQ(context.projectTimeSamples, 96000);
        const clap::clap_event_transport transport = ClapTransport(t);
        EXPECT_EQ(transport.flags, c.clap);
        EXPECT_EQ(transport.song_pos_seconds, std::llround(2.0 * clap::CLAP_SECTIME_FACTOR));
        EXPECT_EQ(transport.tempo_inc, 0.0);
        if (c.tempo > 0.0) {
            // Positions in each format's own units: beats, or CLAP's fixed point.
            EXPECT_EQ(info.ppqPos, 5.25);
            EXPECT_EQ(context.projectTimeMusic, 5.25);
            EXPECT_EQ(transport.song_pos_beats, std::llround(5.25 * clap::CLAP_BEATTIME_FACTOR));
        }
    }
}

}  // namespace
}  // namespace tav
