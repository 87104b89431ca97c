#pragma once

namespace tav {

// Sweep-rate choices, shortest first. The index is the value of the
// "Left Sweep Rate" / "Right Sweep Rate" parameters.
inline constexpr int kDivisionCount = 31;

inline constexpr const char* kDivisionTexts[kDivisionCount] = {
    "1/32", "1/16T", "1/32D", "1/16",  "1/8T", "1/16D", "1/8",   "1/4T",  "1/8D", "1/4",  "1/2T",
    "1/4D", "1/2",   "1/1T",  "1/2D",  "1/1",  "2/1T",  "1/1D",  "2/1",   "4/1T", "2/1D", "4/1",
    "8/1T", "4/1D",  "8/1",   "16/1T", "8/1D", "16/1",  "32/1T", "16/1D", "32/1"};

}  // namespace tav
