// Glide: changes land without clicks, steady settings sound as without it to the
// last bit, and a change the design applies at once ends, once its fade is over,
// in exactly the sound it gives without Glide.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <numbers>

#include "tests/effect/phaser_test_util.h"

namespace tav::test {
namespace {

constexpr size_t kFrames = 22050;
constexpr int kAt = 9000;  // where each change lands: inside a 64-frame block
constexpr int kBlock = 64;

// A sustained chord: its own content above a few kilohertz is next to nothing,
// so a click stands out.
Stereo Chord() {
    Stereo s(kFrames);
    const double freqs[3] = {220.0, 277.18, 329.63};
    for (size_t k = 0; k < kFrames; ++k) {
        double v = 0.0;
        for (double f : freqs)
            v += 0.2 * std::sin(2.0 * std::numbers::pi * f * static_cast<double>(k) / kRate);
        s.l[k] = v;
        s.r[k] = 0.9 * v;
    }
    return s;
}

// The largest fourth difference (a high-pass of 24 dB per octave) in [from, to).
double HighPeak(const Stereo& s, size_t from, size_t to) {
    double peak = 0.0;
    for (const std::vector<double>* c : {&s.l, &s.r}) {
        const std::vector<double>& x = *c;
        for (size_t k = std::max<size_t>(from, 4); k < to; ++k) {
            const double d = x[k] - 4 * x[k - 1] + 6 * x[k - 2] - 4 * x[k - 3] + x[k - 4];
            peak = std::max(peak, std::fabs(d));
        }
    }
    return peak;
}

// Renders the chord in 64-frame blocks, splitting the block where the change lands.
Stereo RenderWithChange(bool glide, const std::function<void(PhaserEngine&)>& change,
                        double beatAfter = kBeat120, SweepSync sync = SweepSync::Free) {
    PhaserEngine engine;
    ApplyDefaults(engine);
    engine.SetSweepSync(sync);
    engine.SetGlide(glide);
    const Stereo in = Chord();
    Stereo out(kFrames);
    size_t pos = 0;
    double beat = kBeat120;
    while (pos < kFrames) {
        size_t n = std::min<size_t>(kBlock - pos % kBlock, kFrames - pos);
        if (pos < kAt && pos + n > kAt) n = kAt - pos;
        if (pos == kAt) {
            change(engine);
            beat = beatAfter;
        }
        const double* ins[2] = {in.l.data() + pos, in.r.data() + pos};
        double* outs[2] = {out.l.data() + pos, out.r.data() + pos};
        engine.ProcessBlock(ins, outs, static_cast<int>(n), kRate, beat,
                            static_cast<double>(pos) / kBeat120);
        pos += n;
    }
    return out;
}

struct ChangeCase {
    const char* name;
    std::function<void(PhaserEngine&)> change;
    double beatAfter;
    bool discrete;  // the design restarts or moves the sweeps: On ends in Off's sound
};

const ChangeCase kChanges[] = {
    {"wet 80 to 20", [](PhaserEngine& e) { e.ApplySetting(ParamWetLeft, 20); }, kBeat120, false},
    {"feedback 60 to 90", [](PhaserEngine& e) { e.ApplySetting(ParamFBackLeft, 90); }, kBeat120,
     false},
    {"depth 30 to 80", [](PhaserEngine& e) { e.ApplySetting(ParamLeftDepth, 80); }, kBeat120,
     false},
    {"freq 2500 to 5000", [](PhaserEngine& e) { e.ApplySetting(ParamFreqLeft, 5000); }, kBeat120,
     false},
    {"accent both to left", [](PhaserEngine& e) { e.ApplySetting(ParamAccent, AccentLeft); },
     kBeat120, false},
    {"mirror off", [](PhaserEngine& e) { e.ApplySetting(ParamFilterMirror, 0); }, kBeat120, true},
    {"sweep rate", [](PhaserEngine& e) { e.ApplySetting(ParamLeftSweepRate, 9); }, kBeat120, true},
    {"program",
     [](PhaserEngine& e) {
         e.HoldForRestart();
         const int program[ParamCount] = {900, 80, 60, 6, 100, 3000, 20, 50, 15, 60, 0, 0, -60};
         ApplyAll(e, program);
         e.Restart();
     },
     kBeat120, true},
    {"tempo 120 to 160", [](PhaserEngine&) {}, kRate * 60.0 / 160.0, true},
};

// Each change clicks without Glide and not with it; a change the engine applies at
// once sounds, once its fade is over, exactly as without Glide.
TEST(Glide, EveryChangeLandsWithoutAClick) {
    const Stereo steady = RenderWithChange(false, [](PhaserEngine&) {});
    const double floor = HighPeak(steady, 100, kFrames);
    for (const ChangeCase& c : kChanges) {
        SCOPED_TRACE(c.name);
        const Stereo off = RenderWithChange(false, c.change, c.beatAfter);
        const Stereo on = RenderWithChange(true, c.change, c.beatAfter);
        const double offPeak = HighPeak(off, kAt, kAt + 441);
        const double onPeak = HighPeak(on, kAt, kAt + 4410);
        EXPECT_GT(offPeak, 20.0 * floor) << "the change should click without Glide";
        EXPECT_LT(onPeak, 2.0 * floor) << "off " << offPeak << " floor " << floor;
        if (!c.discrete) continue;
        for (const auto side : {&Stereo::l, &Stereo::r}) {
            EXPECT_TRUE(
                std::equal((on.*side).begin(), (on.*side).begin() + kAt, (off.*side).begin()));
            EXPECT_TRUE(std::equal((on.*side).begin() + kAt + 400, (on.*side).end(),
                                   (off.*side).begin() + kAt + 400));
        }
    }
}

// Ardour 7 under a tempo ramp 100 to 140: it reports 100 until the ramp ends while
// the song position follows the ramp. Locked to the song, the sweeps follow the
// position at its own pace instead of jumping to it every block.
TEST(Glide, SongSweepsFollowAPositionThatOutrunsTheTempo) {
    const Stereo in = Chord();
    const double reported = kRate * 60.0 / 100.0;
    const auto fastSweeps = [](PhaserEngine& e) {
        ApplyDefaults(e);
        e.ApplySetting(ParamLeftSweepRate, 3);  // fast sweeps show the jumps best
    };
    // The floor: the same sweeps, free at a steady tempo (their corners included).
    PhaserEngine steady;
    fastSweeps(steady);
    const double floor = HighPeak(Render(steady, in, kBlock, reported), 100, kFrames);
    for (const bool glide : {false, true}) {
        PhaserEngine engine;
        fastSweeps(engine);
        engine.SetSweepSync(SweepSync::Song);
        engine.SetGlide(glide);
        Stereo out(kFrames);
        double beats = 0.0;
        for (size_t pos = 0; pos < kFrames; pos += kBlock) {
            const double* ins[2] = {in.l.data() + pos, in.r.data() + pos};
            double* outs[2] = {out.l.data() + pos, out.r.data() + pos};
            const int n = static_cast<int>(std::min<size_t>(kBlock, kFrames - pos));
            engine.ProcessBlock(ins, outs, n, kRate, reported, beats);
            const double tempo = 100.0 + 40.0 * static_cast<double>(pos) / kFrames;
            beats += n * tempo / 60.0 / kRate;
        }
        const double peak = HighPeak(out, 2 * kBlock, kFrames);
        if (glide) {
            EXPECT_LT(peak, 2.0 * floor);
        } else {
            EXPECT_GT(peak, 20.0 * floor) << "without Glide the sweeps jump every block";
        }
    }
}

// Where nothing is heard to change, Glide changes nothing, to the last bit: steady
// settings (a host re-sending them included), free or locked to the song, the gate
// opening and closing; and changes made while the gate passes silence untouched.
TEST(Glide, WhereNothingIsHeardToChangeItChangesNothing) {
    Stereo gapped = NoiseSignal(40000, 7);
    std::fill(gapped.l.begin() + 12000, gapped.l.begin() + 24000, 0.0);
    std::fill(gapped.r.begin() + 12000, gapped.r.begin() + 24000, 0.0);
    const Stereo noise = NoiseSignal(20000, 5);
    const std::function<Stereo(PhaserEngine&)> scenarios[] = {
        [&](PhaserEngine& e) { return Render(e, gapped, 333); },
        [&](PhaserEngine& e) {
            e.SetSweepSync(SweepSync::Song);
            Stereo out = Render(e, gapped, 333);
            ApplyDefaults(e);
            EXPECT_FALSE(e.Gliding() || e.Fading()) << "a value sent again is no change";
            return out;
        },
        [&](PhaserEngine& e) {
            Render(e, noise, 256);
            Render(e, Stereo(20000), 256);  // the gate opens after 0.2 s
            e.ApplySetting(ParamWetLeft, 10);
            e.ApplySetting(ParamLeftSweepRate, 4);
            return Render(e, noise, 256);
        },
    };
    for (const auto& scenario : scenarios) {
        Stereo outs[2];
        for (const bool glide : {false, true}) {
            PhaserEngine engine;
            ApplyDefaults(engine);
            engine.SetGlide(glide);
            outs[glide] = scenario(engine);
        }
        EXPECT_EQ(outs[0].l, outs[1].l);
        EXPECT_EQ(outs[0].r, outs[1].r);
    }
}

TEST(Glide, ContinuousChangesSettleOnTheExactTargets) {
    PhaserEngine glided, direct;
    for (PhaserEngine* e : {&glided, &direct}) {
        ApplyDefaults(*e);
        e->SetGlide(e == &glided);
    }
    const Stereo in = NoiseSignal(kFrames, 3);
    Render(glided, in, 256);
    Render(direct, in, 256);
    for (PhaserEngine* e : {&glided, &direct}) {
        e->ApplySetting(ParamFreqRight, 700);
        e->ApplySetting(ParamWetRight, 5);
        e->ApplySetting(ParamAccent, AccentRight);
    }
    EXPECT_TRUE(glided.Gliding());
    Render(glided, in, 256);
    EXPECT_FALSE(glided.Gliding()) << "a glide ends within half a second";
    EXPECT_EQ(glided.Right().coefficientBase, direct.Right().coefficientBase);
    EXPECT_EQ(glided.Right().wetGain, direct.Right().wetGain);
}

TEST(Glide, StormsOfChangesStayFiniteAndQuiet) {
    const Stereo steady = RenderWithChange(false, [](PhaserEngine&) {});
    const double floor = HighPeak(steady, 100, kFrames);
    // A thousand changes in one block, then a change at every frame of the next
    // blocks, programs among them, and values that are no values.
    const Stereo out = RenderWithChange(true, [](PhaserEngine& e) {
        for (int i = 0; i < 1000; ++i) {
            e.ApplySetting(i % ParamBypassCeil, (i * 7919) % 20000);
            if (i % 97 == 0) {
                e.HoldForRestart();
                e.Restart();
            }
        }
        for (double bad : {std::numeric_limits<double>::quiet_NaN(),
                           std::numeric_limits<double>::infinity(), 1e300, -1e300}) {
            for (int i = 0; i < ParamCount; ++i) e.ApplySetting(i, bad);
        }
        ApplyDefaults(e);  // where the storm ends: the floor is measured there
    });
    const auto finite = [](double x) { return std::isfinite(x); };
    EXPECT_TRUE(std::all_of(out.l.begin(), out.l.end(), finite) &&
                std::all_of(out.r.begin(), out.r.end(), finite));
    // The storm's own settings sound between its changes; only clicks would go far above.
    EXPECT_LT(HighPeak(out, kAt, kFrames), 8.0 * floor);
}

}  // namespace
}  // namespace tav::test
