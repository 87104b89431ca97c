#pragma once

#include <cstdint>

// Conversions from user settings to DSP quantities. Each one fixes where single
// precision is used, so that every build computes the same bits.
namespace tav {

// Half away from zero: add or subtract 0.5, then truncate. Saturates at the
// int32 range; NaN gives 0.
int32_t RoundHalfAway(double x);

// All-pass coefficient of a frequency: (1 - 2f/fs) / (1 + 2f/fs). The product
// 2f is formed in integers by the caller.
double AllPassCoefficient(int32_t twiceFrequency, double sampleRate);

// Depth in percent to sweep width in Hz (100 % gives 13307 Hz).
int32_t DepthToWidth(int32_t percent);

// Percent to feedback gain (0 to 0.9) and wet gain (0 to 1.5).
float FeedbackGain(int32_t percent);
float WetGain(int32_t percent);

// Exact arithmetic in plain steps, so that no C library decides the bits:
// 2^exponent for -1074 to 1023 (0 below, infinity above);
double PowerOfTwo(int32_t exponent);
// x rounded to the nearest whole number, ties to even, as nearbyint rounds in the
// default rounding mode;
double RoundToNearestEven(double x);
// the remainder of x by y with the sign of x, exact, as fmod's is (NaN where
// fmod gives NaN).
double ExactRemainder(double x, double y);

// Decibels to the silence gate's linear threshold, -100 to -50 dB (clamped).
float GateThreshold(int32_t decibels);

// Fraction of a whole note for a sweep-rate index 0 to 30.
float DivisionFactor(int32_t index);

// Samples in one sweep cycle: factor x whole-note length, rounded, kept within
// the signed 32-bit range the sweep counter can reach.
uint32_t SweepPeriodSamples(float factor, double wholeNoteLength);

}  // namespace tav
