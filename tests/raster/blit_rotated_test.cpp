#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "raster/bilinear_taps.h"
#include "raster/blit_rotated.h"
#include "raster/linear_span.h"
#include "raster/memory_bitmap.h"
#include "raster/stable_trig.h"
#include "tests/raster/test_bitmaps.h"

namespace tav {
namespace {

using test::At;
using test::Fill;
using test::FillPattern;
using test::Pattern;

constexpr float kPi = 3.14159265358979f;
constexpr Pixel kBackground = 0x5A5A5A5A;

void Draw(MemoryBitmap& dst, const MemoryBitmap& src, int32_t x, int32_t y, int32_t w, int32_t h,
          float angle, CombineMode mode) {
    BlitRotated(&dst, &src, x, y, w, h, 0.0f, 0.0f, static_cast<float>(src.Width()),
                static_cast<float>(src.Height()), angle, false, 1.0f, mode, 0.0f, 0.0f);
}

TEST(BlitRotated, AngleZeroReproducesTheSourceExactly) {
    MemoryBitmap src(50, 50, 4), dst(60, 60, 4);
    FillPattern(src);
    for (CombineMode mode : {CombineCopy | FilterBilinear, CombineCopy}) {
        Fill(dst, kBackground);
        Draw(dst, src, 5, 7, 50, 50, 0.0f, mode);
        for (int32_t y = 0; y < 60; ++y)
            for (int32_t x = 0; x < 60; ++x) {
                const bool inside = x >= 5 && x < 55 && y >= 7 && y < 57;
                ASSERT_EQ(At(dst, x, y), inside ? Pattern(x - 5, y - 7) : kBackground)
                    << x << "," << y << " mode " << mode;
            }
    }
}

TEST(BlitRotated, CornersOutsideTheTurnedSquareAreLeftAlone) {
    MemoryBitmap src(40, 40, 4), dst(40, 40, 4);
    Fill(src, 0xFF102030);
    Fill(dst, kBackground);
    Draw(dst, src, 0, 0, 40, 40, kPi / 4, CombineCopy | FilterBilinear | UseSourceAlpha);
    EXPECT_EQ(At(dst, 0, 0), kBackground);
    EXPECT_EQ(At(dst, 39, 0), kBackground);
    EXPECT_EQ(At(dst, 0, 39), kBackground);
    EXPECT_EQ(At(dst, 39, 39), kBackground);
    EXPECT_EQ(At(dst, 20, 20), 0xFF102030u);
    EXPECT_EQ(At(dst, 20, 1), 0xFF102030u);
}

// Drawn at (20, 20) into a large canvas and at (-10, -5) into another, the overlap
// must show the same picture: exactly when the steps are whole pixels, and up to the
// rounding of the clipped start position when turned.
TEST(BlitRotated, ClippingAtTheLeftAndTopKeepsTheVisiblePartInPlace) {
    MemoryBitmap src(30, 30, 4), whole(80, 80, 4), clipped(80, 80, 4);
    for (int32_t y = 0; y < 30; ++y)
        for (int32_t x = 0; x < 30; ++x)
            src.Pixels()[y * src.RowPitch() + x] = 0xFF000000u | Pixel(x * 8) << 16 | Pixel(y * 8);
    for (float angle : {0.0f, 0.7f}) {
        for (CombineMode mode : {CombineCopy | FilterBilinear, CombineCopy | UseSourceAlpha}) {
            Fill(whole, kBackground);
            Fill(clipped, kBackground);
            Draw(whole, src, 20, 20, 30, 30, angle, mode);
            Draw(clipped, src, -10, -5, 30, 30, angle, mode);
            int off = 0;
            for (int32_t y = 0; y < 25; ++y)
                for (int32_t x = 0; x < 20; ++x) {
                    const Pixel a = At(clipped, x, y), b = At(whole, x + 30, y + 25);
                    if (angle == 0.0f) {
                        ASSERT_EQ(a, b) << x << "," << y;
                    }
                    const int dr = int((a >> 16) & 0xFF) - int((b >> 16) & 0xFF);
                    const int db = int(a & 0xFF) - int(b & 0xFF);
                    off += (a >> 24 != b >> 24 || dr * dr > 64 || db * db > 64) ? 1 : 0;
                }
            EXPECT_LE(off, 10) << angle;
            EXPECT_EQ(At(clipped, 21, 0), kBackground);
        }
    }
}

TEST(BlitRotated, NegativeSizeMirrorsIntoTheColumnsBeforeX) {
    MemoryBitmap src(12, 9, 4), dst(30, 30, 4);
    FillPattern(src);
    for (CombineMode mode : {CombineCopy, CombineCopy | FilterBilinear}) {
        Fill(dst, kBackground);
        Draw(dst, src, 20, 3, -12, 9, 0.0f, mode);
        for (int32_t y = 0; y < 9; ++y) {
            EXPECT_EQ(At(dst, 7, y + 3), kBackground);
            EXPECT_EQ(At(dst, 20, y + 3), kBackground);
            for (int32_t x = 0; x < 12; ++x)
                ASSERT_EQ(At(dst, 8 + x, y + 3), Pattern(11 - x, y)) << x << "," << y;
        }
        Fill(dst, kBackground);
        Draw(dst, src, 2, 20, 12, -9, 0.0f, mode);
        for (int32_t y = 0; y < 9; ++y)
            for (int32_t x = 0; x < 12; ++x) ASSERT_EQ(At(dst, 2 + x, 11 + y), Pattern(x, 8 - y));
    }
}

TEST(BlitRotated, MirroringAFrameOfAStripReadsOnlyThatFrame) {
    // Two frames side by side; the mirrored first frame must not pick up the second.
    MemoryBitmap strip(8, 4, 4), dst(4, 4, 4);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 8; ++x)
            strip.Pixels()[y * strip.RowPitch() + x] = x < 4 ? 0xFF0000FFu : 0xFFFF0000u;
    BlitRotated(&dst, &strip, 4, 0, -4, 4, 0.0f, 0.0f, 4.0f, 4.0f, 0.0f, false, 1.0f, CombineCopy,
                0.0f, 0.0f);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x) ASSERT_EQ(At(dst, x, y), 0xFF0000FFu);
}

TEST(BlitRotated, ClipToSourceSamplesOnlyTheRectangle) {
    MemoryBitmap src(8, 8, 4), dst(8, 8, 4);
    Fill(src, 0xFFFFFFFF);
    for (int32_t y = 2; y < 6; ++y)
        for (int32_t x = 2; x < 6; ++x) src.Pixels()[y * src.RowPitch() + x] = 0xFF000000;
    Fill(dst, kBackground);
    // A 2x scale-up of the 4x4 middle: edge samples blend only inside the window.
    BlitRotated(&dst, &src, 0, 0, 8, 8, 2.0f, 2.0f, 4.0f, 4.0f, 0.0f, true, 1.0f,
                CombineCopy | FilterBilinear, 0.0f, 0.0f);
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 8; ++x) ASSERT_EQ(At(dst, x, y), 0xFF000000u) << x << "," << y;
}

TEST(BlitRotated, BadArgumentsDrawNothing) {
    MemoryBitmap src(4, 4, 4), dst(4, 4, 4), empty(0, 0, 4);
    FillPattern(src);
    // Absurd scales wrap the walk around but must stay inside the source.
    BlitRotated(&dst, &src, 0, 0, 4, 4, 0, 0, 3e38f, 3e38f, 0.5f, false, 1.0f, CombineCopy, 0, 0);
    Fill(dst, kBackground);
    const float nan = std::nanf("");
    Draw(dst, src, 0, 0, 0, 4, 0.0f, CombineCopy);
    Draw(dst, src, 0, 0, 4, 4, nan, CombineCopy);
    Draw(dst, src, 0, 0, 4, 4, 0.0f, 7);
    Draw(dst, src, 4, 0, 4, 4, 0.0f, CombineCopy);
    Draw(dst, empty, 0, 0, 4, 4, 0.0f, CombineCopy);
    BlitRotated(&dst, &src, 0, 0, 4, 4, 0, 0, 4, 4, 0.0f, false, 0.001f, CombineCopy, 0, 0);
    BlitRotated(&dst, &src, 0, 0, 4, 4, 9, 9, 4, 4, 0.0f, true, 1.0f, CombineCopy, 0, 0);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x) ASSERT_EQ(At(dst, x, y), kBackground);
}

TEST(StableSinCos, AgreesWithTheCLibraryToTheLastBitOrOne) {
    int exact = 0, total = 0;
    for (float a = -20.0f; a < 20.0f; a += 0.0137f, ++total) {
        float s = 0, c = 0;
        StableSinCos(a, &s, &c);
        const float rs = static_cast<float>(std::sin(static_cast<double>(a)));
        const float rc = static_cast<float>(std::cos(static_cast<double>(a)));
        ASSERT_LE(std::fabs(s - rs), std::nextafter(std::fabs(rs), 2.0f) - std::fabs(rs)) << a;
        ASSERT_LE(std::fabs(c - rc), std::nextafter(std::fabs(rc), 2.0f) - std::fabs(rc)) << a;
        exact += (s == rs && c == rc) ? 1 : 0;
    }
    EXPECT_GT(exact, total * 99 / 100);
    float s = 1, c = 0;
    StableSinCos(0.0f, &s, &c);
    EXPECT_EQ(s, 0.0f);
    EXPECT_EQ(c, 1.0f);
}

}  // namespace
}  // namespace tav

namespace tav {
namespace {

// The vector form of the bilinear sum must give the portable form's bits.
TEST(BilinearTaps, VectorAndPortableSumsAgree) {
    uint32_t seed = 7;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    for (int n = 0; n < 200000; ++n) {
        const uint32_t fx = n % 7 == 0 ? 0 : next() >> 16, fy = n % 5 == 0 ? 0 : next() >> 16;
        const uint32_t fxy = (fx * fy) >> 16;
        const Taps t{next(),   next(),   next(), next(), 0x10000u - fx - fy + fxy,
                     fx - fxy, fy - fxy, fxy};
        ASSERT_EQ(BlendTaps(t), BlendTapsScalar(t)) << n;
    }
}

// Span limits against a brute-force walk, including negative steps and starts.
TEST(LinearSpan, MatchesThePerColumnTest) {
    for (int64_t start : {-300000LL, -65536LL, -1LL, 0LL, 5LL, 65535LL, 200000LL})
        for (int64_t step : {-70000LL, -65536LL, -3LL, 0LL, 1LL, 40000LL, 65536LL, 131071LL})
            for (int64_t high : {65536LL, 3 * 65536LL}) {
                const Span span = LinearSpan(start, step, 0, high, 20);
                for (int32_t x = 0; x < 20; ++x) {
                    const int64_t u = start + x * step;
                    const bool in = u >= 0 && u < high;
                    ASSERT_EQ(in, x >= span.first && x < span.last)
                        << start << " " << step << " " << high << " " << x;
                }
            }
}

}  // namespace
}  // namespace tav
