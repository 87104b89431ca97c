#pragma once

#include <cstdint>

namespace tav {

// How source pixels combine with destination pixels: bits 0-7 the operation, plus flags.
using CombineMode = uint32_t;

constexpr CombineMode CombineCopy = 0;
constexpr CombineMode CombineAdd = 1;
constexpr CombineMode CombineDodge = 2;
constexpr CombineMode CombineMultiply = 3;
constexpr CombineMode CombineOverlay = 4;
constexpr CombineMode CombineHsvAdjust = 5;
// 0xF0 | dst << 2 | src: copy byte src of each source pixel into byte dst (1:1 blit only).
constexpr CombineMode CombineChannelCopy = 0xF0;
constexpr CombineMode FilterBilinear = 0x100;
constexpr CombineMode UseSourceAlpha = 0x10000;

constexpr CombineMode kCombineOperationMask = 0xFF;
// The bits that pick a per-pixel rule: operation and source alpha.
constexpr CombineMode kCombineRuleMask = 0x100FF;

// Float opacity to the integer weight the pixel rules use: (int)(weight * 256).
// Weights outside [-1, 1] are held at the ends (an opacity above 1 would push the copy
// rules past the byte range) and NaN counts as 0.
inline int WeightToInt(float weight) {
    if (!(weight == weight)) return 0;
    if (weight > 1.0f) weight = 1.0f;
    if (weight < -1.0f) weight = -1.0f;
    return static_cast<int>(weight * 256.0f);
}

}  // namespace tav
