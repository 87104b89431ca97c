// Lifecycle, gate, sweep phase and the engine's handling of awkward input.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "tests/effect/phaser_test_util.h"

namespace tav {
namespace {

using test::kBeat120;
using test::kRate;
using test::Stereo;

void ExpectSameBits(const Stereo& a, const Stereo& b) {
    ASSERT_EQ(a.size(), b.size());
    for (size_t k = 0; k < a.size(); ++k) {
        ASSERT_EQ(a.l[k], b.l[k]) << "left frame " << k;
        ASSERT_EQ(a.r[k], b.r[k]) << "right frame " << k;
    }
}

bool StateIsClear(const PhaserSide& side) {
    for (int s = 0; s < 4; ++s) {
        if (side.stageInputs[s] != 0.0 || side.stageOutputs[s] != 0.0) return false;
    }
    return true;
}

// Runs one frame at a time so the state between frames can be inspected.
struct FrameLog {
    std::vector<bool> processed;  // the left sweep moved on this frame
    std::vector<double> tailL;    // fourth-stage outputs after the frame
    std::vector<double> tailR;
};

FrameLog RunFrames(PhaserEngine& engine, const Stereo& in, Stereo& out) {
    FrameLog log;
    for (size_t k = 0; k < in.size(); ++k) {
        const int32_t before = engine.Left().sweepCounter;
        const double* ins[2] = {&in.l[k], &in.r[k]};
        double* outs[2] = {&out.l[k], &out.r[k]};
        engine.ProcessBlock(ins, outs, 1, kRate, kBeat120);
        log.processed.push_back(engine.Left().sweepCounter != before);
        log.tailL.push_back(engine.Left().stageOutputs[3]);
        log.tailR.push_back(engine.Right().stageOutputs[3]);
    }
    return log;
}

TEST(PhaserGate, OpensExactlyHoldLengthAfterTheLastLoudTestAndResumesWhereItStopped) {
    PhaserEngine engine;
    test::ApplyDefaults(engine);
    const size_t loudEnd = 1000;
    const size_t resume = 20000;
    Stereo in = test::NoiseSignal(resume + 10, 3);
    for (size_t k = loudEnd; k < resume; ++k) in.l[k] = in.r[k] = 0.0;
    Stereo out(in.size());
    const FrameLog log = RunFrames(engine, in, out);

    // The gate looks at both inputs and at both tails left by the previous frame.
    const double t = engine.Threshold();
    size_t lastLoud = 0;
    for (size_t k = 1; k < resume; ++k) {
        if (std::fabs(in.l[k]) > t || std::fabs(in.r[k]) > t || std::fabs(log.tailL[k - 1]) > t ||
            std::fabs(log.tailR[k - 1]) > t) {
            lastLoud = k;
        }
    }
    ASSERT_GT(lastLoud, loudEnd);  // the filter tail kept the gate shut for a while
    const size_t opens = lastLoud + 8820;
    ASSERT_LT(opens, resume);
    for (size_t k = 0; k < opens; ++k) ASSERT_TRUE(log.processed[k]) << k;
    for (size_t k = opens; k < resume; ++k) {
        ASSERT_FALSE(log.processed[k]) << k;
        ASSERT_EQ(std::memcmp(&out.l[k], &in.l[k], sizeof(double)), 0);
        ASSERT_EQ(std::memcmp(&out.r[k], &in.r[k], sizeof(double)), 0);
        ASSERT_EQ(log.tailL[k], log.tailL[opens - 1]);  // filters frozen
    }
    // The next loud frame continues from the frozen sweep position.
    EXPECT_TRUE(log.processed[resume]);
    EXPECT_NE(out.l[resume], in.l[resume]);
}

TEST(PhaserGate, FirstSilentBlockAlreadyPassesThrough) {
    PhaserEngine engine;
    test::ApplyDefaults(engine);
    const Stereo in(512);
    const Stereo out = test::Render(engine, in, 512);
    ExpectSameBits(out, in);
    EXPECT_EQ(engine.Left().sweepCounter, 0);
    EXPECT_EQ(engine.QuietCounter(), engine.HoldLength());
    EXPECT_EQ(engine.HoldLength(), 8820);
}

TEST(PhaserLifecycle, BlocksBeforeBypassCeilLeaveOutputsUnwritten) {
    PhaserEngine engine;
    for (int i = 0; i < ParamBypassCeil; ++i) {
        engine.ApplySetting(i, kPhaserParamRanges[i].defaultValue);
    }
    const Stereo in = test::NoiseSignal(64, 1);
    Stereo out(64, 7.0);
    const double* ins[2] = {in.l.data(), in.r.data()};
    double* outs[2] = {out.l.data(), out.r.data()};
    engine.ProcessBlock(ins, outs, 64, kRate, kBeat120);
    EXPECT_TRUE(engine.Initialised());
    EXPECT_FALSE(engine.Ready());
    for (size_t k = 0; k < 64; ++k) ASSERT_TRUE(out.l[k] == 7.0 && out.r[k] == 7.0);

    engine.ApplySetting(ParamBypassCeil, -60);
    engine.ProcessBlock(ins, outs, 64, kRate, kBeat120);
    EXPECT_NE(out.l[10], 7.0);
}

TEST(PhaserLifecycle, MirrorStartsTheRightSweepAtItsLowerEdge) {
    for (const bool mirror : {false, true}) {
        PhaserEngine engine;
        test::ApplyDefaults(engine);
        engine.ApplySetting(ParamFilterMirror, mirror ? 1 : 0);
        test::Render(engine, test::NoiseSignal(1, 2), 1);
        const PhaserSide& right = engine.Right();
        // After one frame the shared coefficient is the right side's first one.
        if (mirror) {
            EXPECT_EQ(engine.CurrentCoefficient(), right.coefficientBase);
            EXPECT_EQ(right.sweepCounter, right.halfPeriod + 1);
        } else {
            EXPECT_EQ(engine.CurrentCoefficient(),
                      right.coefficientBase + right.coefficientSpan * 0.5);
            EXPECT_EQ(right.sweepCounter, 1);
        }
        engine.ResetProcessing(kRate);
        EXPECT_EQ(engine.Right().sweepCounter, mirror ? right.halfPeriod : 0);
        EXPECT_EQ(engine.Left().sweepCounter, 0);
    }
}

TEST(PhaserLifecycle, EdgeChangesKeepStateWhileRateAndMirrorChangesResetIt) {
    PhaserEngine engine;
    test::ApplyDefaults(engine);
    test::Render(engine, test::NoiseSignal(1000, 4), 250);
    engine.ApplySetting(ParamFreqLeft, 3000);
    engine.ApplySetting(ParamRightDepth, 70);
    EXPECT_EQ(engine.Left().sweepCounter, 1000);
    EXPECT_FALSE(StateIsClear(engine.Left()));
    EXPECT_FALSE(StateIsClear(engine.Right()));

    for (const int index : {ParamLeftSweepRate, ParamRightSweepRate, ParamFilterMirror}) {
        test::Render(engine, test::NoiseSignal(100, 5), 100);
        engine.ApplySetting(index, kPhaserParamRanges[index].defaultValue - 1);
        EXPECT_TRUE(StateIsClear(engine.Left()) && StateIsClear(engine.Right())) << index;
        EXPECT_EQ(engine.Left().sweepCounter, 0) << index;
    }
}

TEST(PhaserLifecycle, AccentChoosesWhichSideIsSubtracted) {
    // An impulse, then zeros: with a zero dry signal the outputs are exactly
    // the signed wet signals.
    Stereo in(3000);
    in.l[0] = in.r[0] = 0.5;
    Stereo out[3];
    for (int accent = 0; accent < 3; ++accent) {
        PhaserEngine engine;
        test::ApplyDefaults(engine);
        engine.ApplySetting(ParamFilterMirror, 0);  // both sides identical
        engine.ApplySetting(ParamAccent, accent);
        out[accent] = test::Render(engine, in, 256);
    }
    const Stereo& both = out[AccentBoth];
    int nonZero = 0;
    for (size_t k = 1; k < in.size(); ++k) {
        ASSERT_EQ(both.l[k], both.r[k]);
        ASSERT_EQ(out[AccentLeft].l[k], both.l[k]);
        ASSERT_EQ(out[AccentLeft].r[k], -both.r[k]);
        ASSERT_EQ(out[AccentRight].l[k], -both.l[k]);
        ASSERT_EQ(out[AccentRight].r[k], both.r[k]);
        nonZero += both.l[k] != 0.0;
    }
    EXPECT_GT(nonZero, 100);
}

// The block after a tempo or rate change sounds exactly like a fresh start.
TEST(PhaserLifecycle, TempoChangeRestartsBothSweepsAndFilters) {
    const double beat140 = kRate * 60.0 / 140.0;
    const Stereo before = test::NoiseSignal(3000, 6);
    const Stereo after = test::NoiseSignal(2000, 7);

    PhaserEngine running;
    test::ApplyDefaults(running);
    test::Render(running, before, 512);
    const Stereo got = test::Render(running, after, 2000, beat140);

    PhaserEngine fresh;
    test::ApplyDefaults(fresh);
    const Stereo want = test::Render(fresh, after, 2000, beat140);
    ExpectSameBits(got, want);
    EXPECT_EQ(running.Left().sweepPeriod, 37800u);  // 1/2 note at 140 bpm
}

TEST(PhaserLifecycle, SampleRateChangeRecomputesEdgesAndHold) {
    const Stereo before = test::NoiseSignal(3000, 8);
    const Stereo after = test::NoiseSignal(2000, 9);
    PhaserEngine running;
    test::ApplyDefaults(running);
    test::Render(running, before, 512);
    running.ResetProcessing(48000.0);
    EXPECT_EQ(running.SampleRate(), 48000.0);
    EXPECT_EQ(running.HoldLength(), 9600);
    EXPECT_TRUE(StateIsClear(running.Left()) && StateIsClear(running.Right()));
    const Stereo got = test::Render(running, after, 700, 24000.0, 48000.0);
    EXPECT_EQ(running.Left().sweepPeriod, 48000u);

    PhaserEngine fresh;
    test::ApplyDefaults(fresh);
    const Stereo want = test::Render(fresh, after, 700, 24000.0, 48000.0);
    ExpectSameBits(got, want);
}

// One frame at a rate, at 120 bpm: whether the gate let the engine process it
// (the sweep moved), and whether its tail makes the next frame test loud.
struct GateStep {
    bool processed;
    bool tailLoud;
};
GateStep StepGate(PhaserEngine& engine, double l, double r, double rate) {
    double outL = 0.0, outR = 0.0;
    const double* ins[2] = {&l, &r};
    double* outs[2] = {&outL, &outR};
    const double before = engine.Left().sweepCounter;
    engine.ProcessBlock(ins, outs, 1, rate, rate / 2.0);
    const double t = engine.Threshold();
    return {engine.Left().sweepCounter != before,
            std::fabs(engine.Left().stageOutputs[3]) > t ||
                std::fabs(engine.Right().stageOutputs[3]) > t};
}

// The hold is 0.2 s of quiet, whatever rate each part of it was counted at. The
// formats apply a new rate by reactivating (ResetProcessing): an open gate stays
// open, a hold half counted has half of it left at the new rate, and the next
// sound holds the gate shut for the new rate's 0.2 s.
TEST(PhaserGate, HoldIsCountedInTimeAcrossARateChange) {
    struct Case {
        double from, to;
        int hold;         // 0.2 s at the new rate
        int quietBefore;  // frames at the old rate since the last loud one
        int quietAfter;   // frames at the new rate the gate still processes
    };
    const Case cases[] = {{44100.0, 96000.0, 19200, 9000, 0},
                          {96000.0, 44100.0, 8820, 20000, 0},
                          {44100.0, 96000.0, 19200, 4410, 9600},
                          {96000.0, 44100.0, 8820, 9600, 4410}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " Hz to " << c.to << " Hz after "
                                        << c.quietBefore << " quiet frames");
        PhaserEngine engine;
        test::ApplyDefaults(engine);
        // A burst shuts the gate; its tail rings on for a while after it.
        const Stereo burst = test::NoiseSignal(2000, 21);
        bool tailLoud = false;
        for (size_t k = 0; k < burst.size(); ++k)
            tailLoud = StepGate(engine, burst.l[k], burst.r[k], c.from).tailLoud;
        for (int quiet = 1; quiet < c.quietBefore;) {  // the last loud frame counts
            const bool loud = tailLoud;
            tailLoud = StepGate(engine, 0.0, 0.0, c.from).tailLoud;
            quiet = loud ? 1 : quiet + 1;
        }

        engine.ResetProcessing(c.to);
        int processed = 0;
        while (processed < 30000 && StepGate(engine, 0.0, 0.0, c.to).processed) ++processed;
        EXPECT_EQ(processed, c.quietAfter) << "quiet frames processed after the change";
        for (int k = 0; k < 100; ++k) ASSERT_FALSE(StepGate(engine, 0.0, 0.0, c.to).processed);

        // Sound at the new rate: the gate opens the new rate's hold after the last
        // loud frame (its tail included).
        const Stereo sound = test::NoiseSignal(2000, 22);
        for (size_t k = 0; k < sound.size(); ++k)
            tailLoud = StepGate(engine, sound.l[k], sound.r[k], c.to).tailLoud;
        int sinceLoud = 0;
        for (int k = 0; k < 60000; ++k) {
            const bool loud = tailLoud;
            const GateStep step = StepGate(engine, 0.0, 0.0, c.to);
            tailLoud = step.tailLoud;
            sinceLoud = loud ? 0 : sinceLoud + 1;
            if (!step.processed) break;
        }
        EXPECT_EQ(sinceLoud, c.hold) << "frames from the last loud one to open";
    }
}

TEST(PhaserMends, HostWithoutTempoSweepsAt120Bpm) {
    const Stereo in = test::NoiseSignal(5000, 10);
    PhaserEngine noTempo;
    PhaserEngine at120;
    test::ApplyDefaults(noTempo);
    test::ApplyDefaults(at120);
    const Stereo got = test::Render(noTempo, in, 333, 0.0);
    ExpectSameBits(got, test::Render(at120, in, 333, kBeat120));
    EXPECT_EQ(noTempo.WholeNoteLength(), 88200.0);
    EXPECT_EQ(noTempo.Left().sweepPeriod, 44100u);
}

TEST(PhaserMends, ZeroSweepPeriodHoldsTheLowerEdge) {
    const Stereo in = test::NoiseSignal(3000, 11);
    PhaserEngine absurd;
    test::ApplyDefaults(absurd);
    const Stereo got = test::Render(absurd, in, 500, 1e-12);
    EXPECT_EQ(absurd.Left().sweepPeriod, 0u);
    EXPECT_EQ(absurd.Left().sweepCounter, 0);
    EXPECT_EQ(absurd.Right().sweepCounter, 0);

    // A static filter at the lower edge (504 Hz) sounds the same.
    PhaserEngine still;
    test::ApplyDefaults(still);
    still.ApplySetting(ParamFreqLeft, 504);
    still.ApplySetting(ParamFreqRight, 504);
    still.ApplySetting(ParamLeftDepth, 0);
    still.ApplySetting(ParamRightDepth, 0);
    ExpectSameBits(got, test::Render(still, in, 500));
}

TEST(PhaserMends, NonFiniteOrAbsurdInputIsSilenceWhereItArrives) {
    // The largest float is a sample a host can hand over; amplified in the feedback
    // it would overflow every float output for a long while after.
    const Stereo lead = test::NoiseSignal(1000, 12);
    Stereo clean = test::NoiseSignal(256, 13);
    clean.r[100] = 0.0;
    PhaserEngine reference;
    test::ApplyDefaults(reference);
    test::Render(reference, lead, 256);
    const Stereo want = test::Render(reference, clean, 256);
    for (const double bad :
         {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
          -std::numeric_limits<double>::infinity(),
          static_cast<double>(std::numeric_limits<float>::max())}) {
        PhaserEngine engine;
        test::ApplyDefaults(engine);
        test::Render(engine, lead, 256);
        Stereo poisoned = clean;
        poisoned.r[100] = bad;
        ExpectSameBits(test::Render(engine, poisoned, 256), want);
    }
}

TEST(PhaserMends, UnusableSampleRatePassesAudioThroughDry) {
    PhaserEngine engine;
    test::ApplyDefaults(engine);
    const Stereo in = test::NoiseSignal(128, 15);
    for (const double rate : {0.0, -44100.0, std::numeric_limits<double>::quiet_NaN()}) {
        ExpectSameBits(test::Render(engine, in, 128, kBeat120, rate), in);
        EXPECT_FALSE(engine.Initialised());
        engine.ResetProcessing(rate);
        EXPECT_EQ(engine.SampleRate(), 0.0);
    }
}

TEST(PhaserMends, SettingsAreBoundedAndJunkIgnored) {
    PhaserEngine engine;
    test::ApplyDefaults(engine);
    engine.ApplySetting(ParamFreqLeft, 1e12);
    EXPECT_EQ(engine.Left().centreFrequency, 20000);
    engine.ApplySetting(ParamFreqLeft, std::nan(""));
    engine.ApplySetting(ParamFreqLeft, std::numeric_limits<double>::infinity());
    EXPECT_EQ(engine.Left().centreFrequency, 20000);
    engine.ApplySetting(ParamFreqRight, 2499.5);
    EXPECT_EQ(engine.Right().centreFrequency, 2500);
    engine.ApplySetting(ParamRightSweepRate, 99);
    EXPECT_EQ(engine.Right().divisionIndex, 30);
    engine.ApplySetting(ParamAccent, -3);
    EXPECT_EQ(engine.Accent(), AccentLeft);
    engine.ApplySetting(ParamFilterMirror, 2);  // what the named presets store
    EXPECT_TRUE(engine.Mirror());
    engine.ApplySetting(-1, 5);
    engine.ApplySetting(ParamCount, 5);
    EXPECT_EQ(engine.Left().centreFrequency, 20000);
}

TEST(PhaserProcessing, InPlaceMatchesOutOfPlace) {
    const Stereo in = test::NoiseSignal(4000, 16);
    PhaserEngine a;
    PhaserEngine b;
    test::ApplyDefaults(a);
    test::ApplyDefaults(b);
    const Stereo want = test::Render(a, in, 300);
    Stereo buffer = in;
    for (size_t pos = 0; pos < in.size(); pos += 300) {
        const int n = static_cast<int>(std::min<size_t>(300, in.size() - pos));
        double* io[2] = {buffer.l.data() + pos, buffer.r.data() + pos};
        b.ProcessBlock(io, io, n, kRate, kBeat120);
    }
    ExpectSameBits(buffer, want);
}

}  // namespace
}  // namespace tav
