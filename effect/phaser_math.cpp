#include "effect/phaser_math.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <iterator>
#include <limits>

namespace tav {

int32_t RoundHalfAway(double x) {
    const double r = x >= 0.0 ? x + 0.5 : x - 0.5;
    if (std::isnan(r)) return 0;
    if (r >= 2147483648.0) return std::numeric_limits<int32_t>::max();
    if (r <= -2147483649.0) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(r);
}

double PowerOfTwo(int32_t exponent) {
    if (exponent > 1023) return std::numeric_limits<double>::infinity();
    if (exponent < -1074) return 0.0;
    if (exponent < -1022) return std::bit_cast<double>(uint64_t{1} << (exponent + 1074));
    return std::bit_cast<double>(static_cast<uint64_t>(exponent + 1023) << 52);
}

double RoundToNearestEven(double x) {
    // At 2^52 and above a double has no fraction bits: adding that much rounds the
    // fraction away in the current (nearest, ties to even) mode, and taking it away
    // again is exact.
    constexpr double kNoFraction = 4503599627370496.0;
    const double magnitude = std::fabs(x);
    if (!(magnitude < kNoFraction)) return x;
    return std::copysign((magnitude + kNoFraction) - kNoFraction, x);
}

namespace {

constexpr uint64_t kLeadingBit = uint64_t{1} << 52;

// A finite, non-zero double's magnitude as mantissa x 2^exponent, the mantissa's
// leading bit at 52 (denormals too, their exponent then below the smallest).
struct Decomposed {
    uint64_t mantissa;
    int32_t exponent;
};

Decomposed Decompose(double x) {
    const uint64_t bits = std::bit_cast<uint64_t>(x) & ~(uint64_t{1} << 63);
    const auto biased = static_cast<int32_t>(bits >> 52);
    Decomposed d{bits & (kLeadingBit - 1), biased - 1075};
    if (biased != 0) {
        d.mantissa |= kLeadingBit;
        return d;
    }
    for (d.exponent = -1074; (d.mantissa & kLeadingBit) == 0; --d.exponent) d.mantissa <<= 1;
    return d;
}

}  // namespace

double ExactRemainder(double x, double y) {
    if (!std::isfinite(x) || std::isnan(y) || y == 0.0) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    if (!(std::fabs(x) >= std::fabs(y))) return x;  // also an infinite y
    // Long division of the mantissas, one bit of the quotient at a time; each step
    // keeps the remainder below twice the divisor, so nothing is ever rounded.
    Decomposed a = Decompose(x);
    const Decomposed b = Decompose(y);
    for (; a.exponent > b.exponent; --a.exponent) {
        if (a.mantissa >= b.mantissa) a.mantissa -= b.mantissa;
        a.mantissa <<= 1;
    }
    if (a.mantissa >= b.mantissa) a.mantissa -= b.mantissa;
    // Below the divisor, so within 53 bits; a remainder is always a double, so under
    // a denormal divisor the bits shifted out are zeros.
    int32_t exponent = b.exponent;
    for (; exponent < -1074; ++exponent) a.mantissa >>= 1;
    const double magnitude = static_cast<double>(a.mantissa) * PowerOfTwo(exponent);
    return std::copysign(magnitude, x);
}

double AllPassCoefficient(int32_t twiceFrequency, double sampleRate) {
    const double x = static_cast<double>(twiceFrequency) * (1.0 / sampleRate);
    return (1.0 - x) / (x + 1.0);
}

int32_t DepthToWidth(int32_t percent) {
    const float hz = static_cast<float>(percent * 19960) * 0.006666667f;
    return RoundHalfAway(hz);
}

float FeedbackGain(int32_t percent) {
    return static_cast<float>(percent) * 0.009f;
}

float WetGain(int32_t percent) {
    return static_cast<float>(percent) * 0.015f;
}

// 10^(dB/20) for -100 to -50 dB, each the float nearest the exact value. A table,
// so that no C library's exp decides the gate's bits.
constexpr int32_t kGateTableLowest = -100;
constexpr float kGateThresholds[] = {
    0x1.4f8b58p-17f, 0x1.787ca6p-17f, 0x1.a66cdep-17f, 0x1.d9f80ep-17f, 0x1.09e6a4p-16f,
    0x1.2a5884p-16f, 0x1.4ebfdep-16f, 0x1.779858p-16f, 0x1.a56cb4p-16f, 0x1.d8d8ap-16f,
    0x1.094566p-15f, 0x1.29a398p-15f, 0x1.4df4dep-15f, 0x1.76b492p-15f, 0x1.a46d24p-15f,
    0x1.d7b9e2p-15f, 0x1.08a488p-14f, 0x1.28ef1ap-14f, 0x1.4d2a58p-14f, 0x1.75d158p-14f,
    0x1.a36e2ep-14f, 0x1.d69bdp-14f,  0x1.08040cp-13f, 0x1.283b08p-13f, 0x1.4c604ep-13f,
    0x1.74eea6p-13f, 0x1.a26fd4p-13f, 0x1.d57e6ep-13f, 0x1.0763fp-12f,  0x1.278764p-12f,
    0x1.4b96bep-12f, 0x1.740c7ep-12f, 0x1.a17214p-12f, 0x1.d461b6p-12f, 0x1.06c436p-11f,
    0x1.26d42cp-11f, 0x1.4acdaap-11f, 0x1.732aep-11f,  0x1.a074eep-11f, 0x1.d345aep-11f,
    0x1.0624dep-10f, 0x1.262162p-10f, 0x1.4a050ep-10f, 0x1.7249cap-10f, 0x1.9f7862p-10f,
    0x1.d22a5p-10f,  0x1.0585e4p-9f,  0x1.256f04p-9f,  0x1.493cecp-9f,  0x1.71693ep-9f,
    0x1.9e7c6ep-9f,
};

float GateThreshold(int32_t decibels) {
    constexpr int32_t count = static_cast<int32_t>(std::size(kGateThresholds));
    const int32_t i = std::clamp(decibels - kGateTableLowest, 0, count - 1);
    return kGateThresholds[i];
}

float DivisionFactor(int32_t index) {
    // Straight values are powers of two of 1/32; the two in between are the
    // triplet of the next longer and the dotted of the previous straight one.
    // Powers of two and one rounded division: exact in every build.
    index = std::clamp(index, 0, 30);
    double factor = 0.0;
    switch (index % 3) {
        case 0:
            factor = PowerOfTwo(index / 3 - 5);
            break;
        case 1:
            factor = PowerOfTwo((index + 2) / 3 - 4) / 3.0;
            break;
        default:
            factor = PowerOfTwo((index - 2) / 3 - 5) * 1.5;
            break;
    }
    return static_cast<float>(factor);
}

uint32_t SweepPeriodSamples(float factor, double wholeNoteLength) {
    const int32_t period = RoundHalfAway(static_cast<double>(factor) * wholeNoteLength);
    return period > 0 ? static_cast<uint32_t>(period) : 0u;
}

}  // namespace tav
