#include <gtest/gtest.h>

#include <cstdio>

#include "raster/blit.h"
#include "raster/blit_rotated.h"
#include "raster/fill_area.h"
#include "raster/memory_bitmap.h"
#include "raster/system_bitmap.h"
#include "tests/raster/test_bitmaps.h"

namespace tav {
namespace {

// One deterministic picture that goes through every combine rule, the fill shortcuts,
// clipping and the rotated blit in all its forms. Every build, native or Windows,
// must produce exactly these pixels: the hash below is the same for all of them.
constexpr uint64_t kSceneHash = 0xcb09782bd8f13467ull;

void PaintScene(RasterBitmap& canvas) {
    MemoryBitmap knob(24, 24, 4), tile(20, 14, 4);
    test::PaintKnob(knob);
    test::FillPattern(tile);

    FillArea(&canvas, 0, 0, canvas.Width(), canvas.Height(), 0xFF203040, 1.0f, CombineCopy);
    const float weights[] = {1.0f, 0.75f, 0.5f, 0.25f, 0.3f, 0.9f};
    for (int i = 0; i < 6; ++i) {
        FillArea(&canvas, -5 + 27 * i, -3, 30, 20, 0x80C08040 + 0x101010u * i, weights[i],
                 CombineCopy);
        FillArea(&canvas, 27 * i, 16, 25, 8, 0x60FF2080, weights[i], CombineCopy | UseSourceAlpha);
        FillArea(&canvas, 27 * i, 24, 25, 8, 0xFF102030, weights[i],
                 static_cast<CombineMode>(1 + i % 5));
    }
    // Every rule, plain and with source alpha, at full and partial weight.
    int slot = 0;
    for (CombineMode rule = 0; rule <= 5; ++rule)
        for (CombineMode alpha : {0u, UseSourceAlpha})
            for (float weight : {1.0f, 0.6f}) {
                const int32_t x = (slot % 8) * 20 - 4, y = 34 + (slot / 8) * 16;
                BlitBitmap(&canvas, &tile, x, y, nullptr, weight, rule | alpha);
                ++slot;
            }
    BlitBitmap(&canvas, &tile, 150, -4, nullptr, 0.5f, CombineCopy);
    BlitBitmapRect(&canvas, &tile, 140, 90, 3, 2, 12, 9, 1.0f, 0xF3);
    BlitBitmapRect(&canvas, &canvas, 100, 100, 0, 0, 40, 30, 0.8f, CombineAdd | UseSourceAlpha);

    // Knobs as the editor draws them, then the other forms of the rotated blit.
    const float angles[] = {0.0f, 0.5f, 1.3f, -2.2f, 3.9f, 5.5f, -0.05f};
    for (int i = 0; i < 7; ++i)
        BlitRotated(&canvas, &knob, -6 + 24 * i, 84, 24, 24, 0, 0, 24, 24, angles[i], false, 1.0f,
                    CombineCopy | UseSourceAlpha | FilterBilinear, 0, 0);
    BlitRotated(&canvas, &knob, 10, 108, 36, 30, 0, 0, 24, 24, 0.8f, false, 0.7f,
                CombineAdd | UseSourceAlpha, 1.5f, -2.0f);
    BlitRotated(&canvas, &tile, 70, 100, -30, 21, 2.5f, 1.5f, 15.0f, 10.0f, 0.3f, true, 1.0f,
                CombineCopy | FilterBilinear, 0, 0);
    BlitRotated(&canvas, &tile, 90, 125, 16, -12, 0, 0, 20, 14, -1.0f, false, 0.5f,
                CombineDodge | UseSourceAlpha | FilterBilinear, 0, 0);
    BlitRotated(&canvas, &knob, 150, 110, 24, 24, 0, 0, 24, 24, 2.0f, false, 1.0f,
                CombineMultiply | FilterBilinear, 0, 0);
}

TEST(RasterScene, RendersTheSamePixelsOnEveryBuild) {
    SystemBitmap canvas(170, 135);
    ASSERT_TRUE(canvas.IsDrawable());
    PaintScene(canvas);
    const uint64_t hash = test::HashPixels(canvas);
    EXPECT_EQ(hash, kSceneHash) << std::hex << "scene hash 0x" << hash;

    // The heap bitmap gives the same picture as the canvas.
    MemoryBitmap memory(170, 135, 4);
    PaintScene(memory);
    EXPECT_EQ(test::HashPixels(memory), hash);
}

}  // namespace
}  // namespace tav
