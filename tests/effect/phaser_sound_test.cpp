// What the phaser does to a signal, measured on the output.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>

#include "tests/effect/phaser_test_util.h"

namespace tav {
namespace {

using test::kRate;
using test::Stereo;

TEST(PhaserSound, ZeroWetLeavesTheSignalUnchanged) {
    for (const int accent : {AccentLeft, AccentRight, AccentBoth}) {
        PhaserEngine engine;
        test::ApplyDefaults(engine);
        engine.ApplySetting(ParamWetLeft, 0);
        engine.ApplySetting(ParamWetRight, 0);
        engine.ApplySetting(ParamFBackLeft, 100);
        engine.ApplySetting(ParamAccent, accent);
        const Stereo in = test::NoiseSignal(20000, 31);
        const Stereo out = test::Render(engine, in, 512);
        for (size_t k = 0; k < in.size(); ++k) {
            ASSERT_EQ(out.l[k], in.l[k]) << k;
            ASSERT_EQ(out.r[k], in.r[k]) << k;
        }
    }
}

// Hann-windowed DFT of one frequency.
std::complex<double> Bin(const std::vector<double>& x, size_t from, size_t n, double hz) {
    std::complex<double> sum;
    const double w = 2.0 * std::numbers::pi * hz / kRate;
    for (size_t k = 0; k < n; ++k) {
        const double hann = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * k / n);
        sum += hann * x[from + k] * std::polar(1.0, -w * static_cast<double>(k));
    }
    return sum;
}

double GainDb(const Stereo& in, const Stereo& out, double hz) {
    const size_t from = 4096;  // past the start-up transient
    const size_t n = in.size() - from;
    return 20.0 * std::log10(std::abs(Bin(out.l, from, n, hz)) / std::abs(Bin(in.l, from, n, hz)));
}

// A still four-stage all-pass added to the dry signal cancels it where the
// chain turns the phase by 180 and by 540 degrees, i.e. where each stage turns
// it by 45 and 135 degrees. One stage with coefficient c turns it by
// -2 atan(tan(w/2) / t), t = (1 - c) / (1 + c).
TEST(PhaserSound, StillFilterNotchesWhereTheCoefficientPutsThem) {
    PhaserEngine engine;
    test::ApplyDefaults(engine);
    for (const auto& [index, value] : {std::pair{ParamFreqLeft, 1000},
                                       {ParamLeftDepth, 0},
                                       {ParamFBackLeft, 0},
                                       {ParamWetLeft, 67},
                                       {ParamAccent, AccentBoth}}) {
        engine.ApplySetting(index, value);
    }
    const Stereo in = test::NoiseSignal(4096 + 32768, 32);
    const Stereo out = test::Render(engine, in, 1024);

    const double c = engine.Left().coefficientBase;
    const double t = (1.0 - c) / (1.0 + c);
    const auto hzAtStagePhase = [&](double radians) {
        return 2.0 * std::atan(t * std::tan(radians / 2.0)) * kRate / (2.0 * std::numbers::pi);
    };
    const double notch1 = hzAtStagePhase(std::numbers::pi / 4);
    const double notch2 = hzAtStagePhase(3 * std::numbers::pi / 4);
    const double peak = hzAtStagePhase(std::numbers::pi / 2);  // chain at -360 degrees
    EXPECT_NEAR(notch1, 263.7, 1.0);
    EXPECT_NEAR(notch2, 1532.0, 2.0);

    EXPECT_LT(GainDb(in, out, notch1), -30.0);
    EXPECT_LT(GainDb(in, out, notch2), -30.0);
    EXPECT_GT(GainDb(in, out, notch1 * 1.1), -20.0);  // a notch, not a wide dip
    EXPECT_GT(GainDb(in, out, notch2 * 0.9), -20.0);
    EXPECT_GT(GainDb(in, out, peak), 5.0);  // dry and wet in phase: about +6 dB
}

TEST(PhaserSound, FullFeedbackDecaysToCleanSilence) {
    PhaserEngine engine;
    test::ApplyDefaults(engine);
    engine.ApplySetting(ParamFBackLeft, 100);
    engine.ApplySetting(ParamFBackRight, 100);
    Stereo in = test::NoiseSignal(6 * 44100, 33);
    const size_t silenceFrom = 44100;
    for (size_t k = silenceFrom; k < in.size(); ++k) in.l[k] = in.r[k] = 0.0;
    const Stereo out = test::Render(engine, in, 512);
    for (size_t k = silenceFrom; k < in.size(); ++k) {
        for (const double v : {out.l[k], out.r[k]}) {
            const int cls = std::fpclassify(v);
            ASSERT_TRUE(cls == FP_ZERO || cls == FP_NORMAL) << "frame " << k << " " << v;
        }
    }
    EXPECT_EQ(out.l.back(), 0.0);
    EXPECT_EQ(out.r.back(), 0.0);
}

}  // namespace
}  // namespace tav
