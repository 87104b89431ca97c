// The sweep in the situations sessions produce: tempo ramps and steps, flat
// automation lanes, and the sweep locked to the song through starts, loops,
// stops and silence.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "effect/phaser_math.h"
#include "tests/effect/phaser_test_util.h"

namespace tav {
namespace {

using test::kRate;
using test::Stereo;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A chord of three sines: smooth, so any step in the output shows.
Stereo Chord(size_t n) {
    Stereo s(n);
    for (size_t k = 0; k < n; ++k) {
        const double t = static_cast<double>(k) / kRate;
        double v = 0.0;
        for (const double hz : {220.0, 277.18, 329.63})
            v += 0.2 * std::sin(2.0 * std::numbers::pi * hz * t);
        s.l[k] = s.r[k] = v;
    }
    return s;
}

// The host's side of a session: a tempo for each block and, while playing,
// the song position at its first frame, as hosts report them.
struct Host {
    double startBeat = 0.0;
    double tempoFrom = 120.0;
    double tempoTo = 120.0;  // reached at the last frame
    bool playing = true;
    size_t tempoEvery = 1;  // frames between tempo changes: at block starts on this grid
};

struct Take {
    Stereo out;
    std::vector<double> leftAt;  // left sweep position after each frame boundary of `probe`
    std::vector<double> rightAt;
};

// Renders in blocks, the tempo of each block taken at its first frame, the song
// position integrated from the tempos as a host does.
Take Play(PhaserEngine& engine, const Stereo& in, int block, const Host& host, int probe = 1024) {
    Take take{Stereo(in.size()), {}, {}};
    double beats = host.startBeat;
    const double last = static_cast<double>(in.size() > 1 ? in.size() - 1 : 1);
    for (size_t pos = 0; pos < in.size(); pos += static_cast<size_t>(block)) {
        const int n =
            static_cast<int>(std::min<size_t>(static_cast<size_t>(block), in.size() - pos));
        const size_t changedAt = pos - pos % host.tempoEvery;
        const double tempo = host.tempoFrom + (host.tempoTo - host.tempoFrom) *
                                                  static_cast<double>(changedAt) / last;
        const double* ins[2] = {in.l.data() + pos, in.r.data() + pos};
        double* outs[2] = {take.out.l.data() + pos, take.out.r.data() + pos};
        engine.ProcessBlock(ins, outs, n, kRate, kRate * 60.0 / tempo,
                            host.playing ? beats : kNoSongPosition);
        beats += n * tempo / (60.0 * kRate);
        if ((pos + static_cast<size_t>(n)) % static_cast<size_t>(probe) == 0) {
            take.leftAt.push_back(PhaserEngine::SweepPosition(engine.Left()));
            take.rightAt.push_back(PhaserEngine::SweepPosition(engine.Right()));
        }
    }
    return take;
}

// Distance of two positions on the cycle.
double CycleDistance(double a, double b) {
    const double d = std::fabs(a - b);
    return std::min(d, 1.0 - d);
}

// The largest fourth difference of the output at the frames just after block
// starts: a smooth signal's is tiny, a step's is about its height.
double LargestStepAtBlockStarts(const Stereo& out, int block) {
    double largest = 0.0;
    for (size_t start = static_cast<size_t>(block); start + 4 < out.size();
         start += static_cast<size_t>(block)) {
        for (size_t k = start; k < start + 4; ++k) {
            for (const std::vector<double>* ch : {&out.l, &out.r}) {
                const std::vector<double>& y = *ch;
                const double d4 = y[k] - 4 * y[k - 1] + 6 * y[k - 2] - 4 * y[k - 3] + y[k - 4];
                largest = std::max(largest, std::fabs(d4));
            }
        }
    }
    return largest;
}

PhaserEngine Defaults(SweepSync sync = SweepSync::Free) {
    PhaserEngine engine;
    test::ApplyDefaults(engine);
    engine.SetSweepSync(sync);
    return engine;
}

// 100 -> 140 bpm over 30 s, a new tempo every block: the sweep keeps running
// and the block size only moves where the tempo changes.
TEST(SweepTiming, RampKeepsTheSweepMovingWhateverTheBlockSize) {
    const Stereo in = Chord(static_cast<size_t>(kRate * 30));
    const Host ramp{0.0, 100.0, 140.0, true};
    for (const SweepSync sync : {SweepSync::Free, SweepSync::Song}) {
        std::vector<Take> takes;
        for (const int block : {64, 256, 1024}) {
            PhaserEngine engine = Defaults(sync);
            takes.push_back(Play(engine, in, block, ramp));
            EXPECT_LT(LargestStepAtBlockStarts(takes.back().out, block), 1e-4)  // -80 dBFS
                << block;
        }
        double low = 1.0;
        double high = 0.0;
        for (const double p : takes[0].leftAt) {
            low = std::min(low, p);
            high = std::max(high, p);
        }
        EXPECT_LT(low, 0.01);
        EXPECT_GT(high, 0.99);
        // Where the tempo changes at the same frames, the block size changes nothing.
        PhaserEngine quarters = Defaults(sync);
        const Take sameChanges = Play(quarters, in, 256, Host{0.0, 100.0, 140.0, true, 1024});
        EXPECT_EQ(sameChanges.out.l, takes[2].out.l);
        EXPECT_EQ(sameChanges.out.r, takes[2].out.r);
        for (size_t t = 1; t < takes.size(); ++t) {
            ASSERT_EQ(takes[t].leftAt.size(), takes[0].leftAt.size());
            for (size_t i = 0; i < takes[0].leftAt.size(); ++i) {
                ASSERT_LT(CycleDistance(takes[t].leftAt[i], takes[0].leftAt[i]), 0.01) << t << i;
                ASSERT_LT(CycleDistance(takes[t].rightAt[i], takes[0].rightAt[i]), 0.01) << t << i;
            }
        }
    }
}

// A host's rounding or a nudge re-times the sweeps where they are; a new tempo
// restarts them as a fresh start would.
TEST(SweepTiming, SmallTempoStepsRetimeAndLargeOnesRestart) {
    const Stereo before = test::NoiseSignal(30000, 40);
    const Stereo after = test::NoiseSignal(4000, 41);
    struct Case {
        double tempo;
        bool restarts;
    };
    for (const Case c : {Case{120.0000001, false}, Case{121.0, false}, Case{117.7, false},
                         Case{123.0, true}, Case{60.0, true}}) {
        PhaserEngine engine = Defaults();
        test::Render(engine, before, 512);
        const double position = PhaserEngine::SweepPosition(engine.Left());
        const Stereo got = test::Render(engine, after, 4000, kRate * 60.0 / c.tempo);
        PhaserEngine fresh = Defaults();
        const Stereo restarted = test::Render(fresh, after, 4000, kRate * 60.0 / c.tempo);
        if (c.restarts) {
            EXPECT_EQ(got.l, restarted.l) << c.tempo;
            continue;
        }
        EXPECT_NE(got.l, restarted.l) << c.tempo;
        const double moved = 4000.0 / engine.Left().cycleLength;
        EXPECT_NEAR(PhaserEngine::SweepPosition(engine.Left()), std::fmod(position + moved, 1.0),
                    1e-9)
            << c.tempo;
    }
    // Rounding that leaves the rounded period as it was changes nothing at all.
    PhaserEngine steady = Defaults();
    PhaserEngine nudged = Defaults();
    test::Render(steady, before, 512);
    test::Render(nudged, before, 512);
    EXPECT_EQ(test::Render(steady, after, 512).l,
              test::Render(nudged, after, 512, kRate * 60.0 / 120.0000001).l);
}

// A flat automation lane re-sends the value the setting has before every block.
TEST(SweepTiming, ResentUnchangedValuesLeaveTheOutputBitForBit) {
    const Stereo in = test::NoiseSignal(20000, 42);
    PhaserEngine plain = Defaults();
    const Stereo want = test::Render(plain, in, 256);
    PhaserEngine resent = Defaults();
    Stereo got(in.size());
    for (size_t pos = 0; pos < in.size(); pos += 256) {
        for (const int index : {ParamLeftSweepRate, ParamRightSweepRate, ParamFilterMirror})
            resent.ApplySetting(index, kPhaserParamRanges[index].defaultValue + 0.2);
        const int n = static_cast<int>(std::min<size_t>(256, in.size() - pos));
        const double* ins[2] = {in.l.data() + pos, in.r.data() + pos};
        double* outs[2] = {got.l.data() + pos, got.r.data() + pos};
        resent.ProcessBlock(ins, outs, n, kRate, test::kBeat120);
    }
    EXPECT_EQ(got.l, want.l);
    EXPECT_EQ(got.r, want.r);
}

// After every block the sweep sits where the song says, through loops, a stop
// and start without suspending, a silent bar and a ramp; free while stopped.
TEST(SongSync, TheSweepFollowsTheSongThroughEverySessionEvent) {
    struct Segment {
        double startBeat;
        double beats;  // length, in beats
        bool playing;
        bool silent;
    };
    const double beatSamples = test::kBeat120;
    const std::vector<std::vector<Segment>> sessions = {
        {{16, 16, true, false}, {16, 16, true, false}, {16, 16, true, false}},  // loop bars 5-9
        {{0, 7, true, false}, {7, 3, false, false}, {7, 9, true, false}},       // stop, start
        {{0, 8, true, false}, {8, 4, true, true}, {12, 8, true, false}},        // a silent bar
        {{3, 5, true, false}, {40, 6, true, false}, {2, 4, true, false}},       // relocations
    };
    for (size_t s = 0; s < sessions.size(); ++s) {
        PhaserEngine engine = Defaults(SweepSync::Song);
        engine.ApplySetting(ParamLeftSweepRate, 15);  // 1/1
        engine.ApplySetting(ParamRightSweepRate, 2);  // 1/32D: many cycles a bar
        test::Noise noise(44 + s);
        for (const Segment& seg : sessions[s]) {
            const auto frames = static_cast<size_t>(seg.beats * beatSamples);
            double beats = seg.startBeat;
            std::vector<double> l(512);
            std::vector<double> r(512);
            for (size_t pos = 0; pos < frames; pos += 512) {
                const int n = static_cast<int>(std::min<size_t>(512, frames - pos));
                for (int k = 0; k < n; ++k) {
                    l[k] = seg.silent ? 0.0 : noise.Next(0.5);
                    r[k] = seg.silent ? 0.0 : noise.Next(0.5);
                }
                const double* ins[2] = {l.data(), r.data()};
                double* outs[2] = {l.data(), r.data()};
                engine.ProcessBlock(ins, outs, n, kRate, beatSamples,
                                    seg.playing ? beats : kNoSongPosition);
                for (int k = 0; k < n; ++k) ASSERT_TRUE(std::isfinite(l[k]) && std::isfinite(r[k]));
                beats += n / beatSamples;
                if (!seg.playing) continue;
                const double left = std::fmod(beats / 4.0, 1.0);
                const double right = std::fmod(beats / (4.0 * 3.0 / 64.0) + 0.5, 1.0);
                ASSERT_LT(CycleDistance(PhaserEngine::SweepPosition(engine.Left()), left), 1e-9)
                    << s << " at beat " << beats;
                ASSERT_LT(CycleDistance(PhaserEngine::SweepPosition(engine.Right()), right), 1e-9)
                    << s << " at beat " << beats;
            }
        }
    }
}

// What a host may report instead of a tempo and a position: the sweep runs
// free at the last good tempo and nothing but sound leaves the engine.
TEST(SongSync, NonsenseTimingRunsFreeAtTheLastGoodTempo) {
    struct Case {
        double beatSamples;
        double songBeats;
    };
    const double inf = std::numeric_limits<double>::infinity();
    const Stereo in = test::NoiseSignal(2048, 45);
    for (const Case c : {Case{kNaN, 8.0}, Case{inf, 8.0}, Case{-5.0, 8.0}, Case{0.0, 8.0},
                         Case{test::kBeat120, kNaN}, Case{test::kBeat120, inf},
                         Case{test::kBeat120, -3.0}, Case{test::kBeat120, 1e300}}) {
        PhaserEngine engine = Defaults(SweepSync::Song);
        Play(engine, test::NoiseSignal(4096, 46), 512, Host{0.0, 128.0, 128.0, true});
        const double before = PhaserEngine::SweepPosition(engine.Left());
        const double whole = engine.WholeNoteLength();
        Stereo out(in.size());
        for (size_t pos = 0; pos < in.size(); pos += 512) {
            const double* ins[2] = {in.l.data() + pos, in.r.data() + pos};
            double* outs[2] = {out.l.data() + pos, out.r.data() + pos};
            engine.ProcessBlock(ins, outs, 512, kRate, c.beatSamples, c.songBeats);
        }
        for (size_t k = 0; k < out.size(); ++k)
            ASSERT_TRUE(std::isfinite(out.l[k]) && std::isfinite(out.r[k])) << k;
        const bool goodTempo = c.beatSamples == test::kBeat120;
        if (!goodTempo) {
            EXPECT_EQ(engine.WholeNoteLength(), whole) << c.beatSamples;
            continue;
        }
        // A good tempo without a usable position: free, on from where it was.
        EXPECT_NEAR(PhaserEngine::SweepPosition(engine.Left()),
                    std::fmod(before + 2048.0 / engine.Left().cycleLength, 1.0), 1e-9)
            << c.songBeats;
    }
}

// The hold follows the rate it is captured with, and the tail counts it from
// activation on.
TEST(SweepTiming, HoldAndTailFollowTheRate) {
    for (const double rate : {44100.0, 96000.0}) {
        PhaserEngine engine;
        test::ApplyDefaults(engine);
        engine.ResetProcessing(rate);
        EXPECT_EQ(engine.HoldLength(), RoundHalfAway(rate * 0.2));
        EXPECT_GT(engine.TailFrames(), static_cast<uint32_t>(engine.HoldLength()));
    }
}

}  // namespace
}  // namespace tav
