#include "effect/phaser_math.h"

#include <cmath>
#include <limits>

namespace tav {

int32_t RoundHalfAway(double x) {
    const double r = x >= 0.0 ? x + 0.5 : x - 0.5;
    if (std::isnan(r)) return 0;
    if (r >= 2147483648.0) return std::numeric_limits<int32_t>::max();
    if (r <= -2147483649.0) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(r);
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

float GateThreshold(int32_t decibels) {
    // The double exp is rounded to float, which hides last-bit differences
    // between C libraries.
    return static_cast<float>(std::exp(static_cast<double>(decibels) * 0.11512925464970228));
}

float DivisionFactor(int32_t index) {
    // Straight values are powers of two of 1/32; the two in between are the
    // triplet of the next longer and the dotted of the previous straight one.
    const float base = 0.03125f;
    const auto power = [](int32_t k) { return std::pow(2.0, k * 0.3333333333333333); };
    double factor = 0.0;
    switch (index % 3) {
        case 0:
            factor = power(index) * base;
            break;
        case 1:
            factor = power(index + 2) * base * 2.0 / 3.0;
            break;
        default:
            factor = power(index - 2) * base * 1.5;
            break;
    }
    return static_cast<float>(factor);
}

uint32_t SweepPeriodSamples(float factor, double wholeNoteLength) {
    const int32_t period = RoundHalfAway(static_cast<double>(factor) * wholeNoteLength);
    return period > 0 ? static_cast<uint32_t>(period) : 0u;
}

}  // namespace tav
