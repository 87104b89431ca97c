// Setting conversions and sweep geometry at the edges of their ranges.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "effect/division_table.h"
#include "effect/phaser_math.h"
#include "tests/effect/phaser_test_util.h"

namespace tav {
namespace {

using test::kBeat120;
using test::kRate;

// Written out from the definition rather than taken from the engine.
double PlainCoefficient(int hz, double rate) {
    const double x = 2.0 * hz * (1.0 / rate);
    return (1.0 - x) / (x + 1.0);
}

TEST(PhaserMath, RoundingIsHalfAwayFromZeroAndSaturates) {
    EXPECT_EQ(RoundHalfAway(2.5), 3);
    EXPECT_EQ(RoundHalfAway(-2.5), -3);
    EXPECT_EQ(RoundHalfAway(2.4999), 2);
    EXPECT_EQ(RoundHalfAway(-0.4), 0);
    EXPECT_EQ(RoundHalfAway(1e300), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(RoundHalfAway(-1e300), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(RoundHalfAway(std::nan("")), 0);
}

TEST(PhaserMath, DepthGainAndThresholdConversions) {
    EXPECT_EQ(DepthToWidth(0), 0);
    EXPECT_EQ(DepthToWidth(30), 3992);
    EXPECT_EQ(DepthToWidth(50), 6653);
    EXPECT_EQ(DepthToWidth(100), 13307);
    EXPECT_EQ(FeedbackGain(100), 0.9f);
    EXPECT_EQ(FeedbackGain(0), 0.0f);
    EXPECT_EQ(WetGain(100), 1.5f);
    // The gate's table: what the exp formula it replaced gave, the float nearest
    // 10^(dB/20) in extended precision, and its ends outside the range.
    for (int32_t db = -100; db <= -50; ++db) {
        EXPECT_EQ(GateThreshold(db), static_cast<float>(std::exp(db * 0.11512925464970228)));
        EXPECT_EQ(GateThreshold(db), static_cast<float>(std::pow(10.0L, db / 20.0L))) << db;
    }
    EXPECT_EQ(GateThreshold(-120), 0.00001f);
    EXPECT_EQ(GateThreshold(0), GateThreshold(-50));
}

// The exact steps give the C library's results bit for bit (its fmod and nearbyint
// are exact too): at the edges, and for 200000 pairs of random bit patterns
// across the whole range and within the song positions and cycles the sweep meets.
TEST(PhaserMath, ExactStepsMatchTheLibraryBitForBit) {
    const auto same = [](double a, double b) {
        return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b) ||
               (std::isnan(a) && std::isnan(b));
    };
    const double inf = std::numeric_limits<double>::infinity();
    const double tiny = std::numeric_limits<double>::denorm_min();
    // clang-format off
    const double edges[] = {0.0, -0.0, 0.5, 1.5, -2.5, 0.49999999999999994, 44100,
        4503599627370495.5, 9007199254740993.0, 1e300, -7.25, tiny, 3 * tiny,
        std::numeric_limits<double>::min(), inf, -inf, std::nan("")};
    // clang-format on
    for (double x : edges) {
        EXPECT_TRUE(same(RoundToNearestEven(x), std::nearbyint(x))) << x;
        for (double y : edges) {
            EXPECT_TRUE(same(ExactRemainder(x, y), std::fmod(x, y))) << x << " % " << y;
        }
    }
    for (int32_t e = -1080; e <= 1030; ++e) EXPECT_EQ(PowerOfTwo(e), std::ldexp(1.0, e)) << e;

    std::mt19937_64 random(2026);
    std::uniform_real_distribution<double> song(0.0, 4e9), cycle(2.0, 2822400.0);
    for (int i = 0; i < 200000; ++i) {
        const double x = std::bit_cast<double>(random()), y = std::bit_cast<double>(random());
        ASSERT_TRUE(same(ExactRemainder(x, y), std::fmod(x, y))) << x << " % " << y;
        ASSERT_TRUE(same(RoundToNearestEven(x), std::nearbyint(x))) << x;
        const double s = song(random), c = cycle(random);
        ASSERT_TRUE(same(ExactRemainder(s, c), std::fmod(s, c))) << s << " % " << c;
        ASSERT_TRUE(same(RoundToNearestEven(s / c - 1e3), std::nearbyint(s / c - 1e3))) << s;
    }
}

// Every rate index lands on the float nearest its fraction of a whole note.
TEST(PhaserMath, DivisionFactorsMatchTheNoteTable) {
    struct Fraction {
        double num;
        double den;
    };
    const Fraction table[kDivisionCount] = {
        {1, 32}, {1, 24}, {3, 64}, {1, 16}, {1, 12}, {3, 32}, {1, 8},  {1, 6},
        {3, 16}, {1, 4},  {1, 3},  {3, 8},  {1, 2},  {2, 3},  {3, 4},  {1, 1},
        {4, 3},  {3, 2},  {2, 1},  {8, 3},  {3, 1},  {4, 1},  {16, 3}, {6, 1},
        {8, 1},  {32, 3}, {12, 1}, {16, 1}, {64, 3}, {24, 1}, {32, 1}};
    for (int i = 0; i < kDivisionCount; ++i) {
        EXPECT_EQ(DivisionFactor(i), static_cast<float>(table[i].num / table[i].den))
            << "index " << i << " " << kDivisionTexts[i];
    }
    EXPECT_STREQ(kDivisionTexts[12], "1/2");
    EXPECT_STREQ(kDivisionTexts[29], "16/1D");
    EXPECT_EQ(SweepPeriodSamples(DivisionFactor(12), 88200.0), 44100u);
    EXPECT_EQ(SweepPeriodSamples(DivisionFactor(30), 88200.0), 2822400u);  // 64 s
    EXPECT_EQ(SweepPeriodSamples(DivisionFactor(0), 1e-9), 0u);
    EXPECT_EQ(SweepPeriodSamples(DivisionFactor(30), 1e300),
              static_cast<uint32_t>(std::numeric_limits<int32_t>::max()));
}

struct RangeCase {
    int freq;
    int depth;
    int low;
    int high;
};

class SweepRange : public ::testing::TestWithParam<RangeCase> {};

TEST_P(SweepRange, EdgesAndCoefficients) {
    const RangeCase c = GetParam();
    PhaserEngine engine;
    test::ApplyDefaults(engine);
    engine.ApplySetting(ParamFreqLeft, c.freq);
    engine.ApplySetting(ParamLeftDepth, c.depth);
    test::Stereo silence(16);
    test::Render(engine, silence, 16);

    const PhaserSide& side = engine.Left();
    EXPECT_EQ(side.coefficientBase, PlainCoefficient(c.low, kRate));
    EXPECT_EQ(side.coefficientSpan,
              (PlainCoefficient(c.high, kRate) - PlainCoefficient(c.low, kRate)) * 2.0);
}

INSTANTIATE_TEST_SUITE_P(PhaserMath, SweepRange,
                         ::testing::Values(RangeCase{2500, 30, 504, 4496},
                                           RangeCase{2500, 0, 2500, 2500},
                                           RangeCase{40, 100, 40, 13347},
                                           RangeCase{20000, 30, 16008, 20000},
                                           RangeCase{20000, 100, 6693, 20000}),
                         [](const ::testing::TestParamInfo<RangeCase>& param) {
                             return "Freq" + std::to_string(param.param.freq) + "Depth" +
                                    std::to_string(param.param.depth);
                         });

TEST(PhaserMath, DefaultSweepAt44100) {
    PhaserEngine engine;
    test::ApplyDefaults(engine);
    test::Stereo silence(1);
    test::Render(engine, silence, 1);
    EXPECT_NEAR(engine.Left().coefficientBase, 0.95531, 5e-6);
    EXPECT_NEAR(engine.Left().coefficientSpan, -0.58808, 5e-6);
    EXPECT_EQ(engine.Right().coefficientBase, engine.Left().coefficientBase);
    EXPECT_EQ(engine.Left().sweepPeriod, 44100u);
    EXPECT_EQ(engine.Left().halfPeriod, 22050);
    EXPECT_EQ(engine.WholeNoteLength(), 4 * kBeat120);
    EXPECT_EQ(engine.HoldLength(), 8820);
}

}  // namespace
}  // namespace tav
