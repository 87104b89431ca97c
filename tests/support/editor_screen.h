// Reading the real module's editor back from the screen: the regions of its face
// and a pixel comparison of screenshots, shared by the Windows and Linux window tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "effect/editor_layout.h"
#include "host/png_file.h"
#include "raster/pixel_rect.h"

namespace tav::test {

// Pixels of inA in a that differ from b at (bx, by) onwards by more than tolerance in
// any channel.
inline int CountDiffering(const RgbImage& a, const PixelRect& inA, const RgbImage& b, int bx,
                          int by, int tolerance = 0) {
    int count = 0;
    for (int y = inA.top; y < inA.bottom; ++y) {
        for (int x = inA.left; x < inA.right; ++x) {
            const uint8_t* p = a.At(x, y);
            const uint8_t* q = b.At(bx + x - inA.left, by + y - inA.top);
            for (int c = 0; c < 3; ++c) {
                if (std::abs(p[c] - q[c]) > tolerance) {
                    ++count;
                    break;
                }
            }
        }
    }
    return count;
}

inline int CountDiffering(const RgbImage& a, const RgbImage& b, const PixelRect& r,
                          int tolerance = 0) {
    return CountDiffering(a, r, b, r.left, r.top, tolerance);
}

// A knob with its value strip, and the strip alone.
inline PixelRect KnobRegion(const KnobPlacement& k) {
    return {k.centreX - 25, k.centreY - 25, k.centreX + 25, k.centreY + 46};
}
inline PixelRect KnobStrip(const KnobPlacement& k) {
    return {k.centreX - 25, k.centreY + 31, k.centreX + 25, k.centreY + 46};
}
inline PixelRect AccentOption(int i) {
    return {kAccentLeft, kAccentTop + 24 * i, kAccentLeft + 74, kAccentTop + 24 + 24 * i};
}
inline constexpr PixelRect kMirror{kMirrorLeft, kMirrorTop, kMirrorLeft + 74, kMirrorTop + 35};

// A PNG of the source tree (the skin, reference pictures), as RGB.
inline RgbImage ReadSource(const std::string& relative) {
    RgbImage image;
    std::string error;
    EXPECT_TRUE(ReadPngFile(std::string(TAV_SOURCE_DIR) + "/" + relative, &image, &error)) << error;
    return image;
}

}  // namespace tav::test
