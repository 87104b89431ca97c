#include <gtest/gtest.h>

#include <vector>

#include "raster/blit.h"
#include "raster/channel_math.h"
#include "raster/fill_area.h"
#include "raster/memory_bitmap.h"
#include "raster/pixel_combiner.h"
#include "tests/raster/test_bitmaps.h"

namespace tav {
namespace {

using test::At;
using test::Fill;
using test::FillPattern;
using test::Pattern;

// Stores its rows last-first, like a bottom-up DIB; callers still see row 0 on top.
class BottomUpBitmap final : public RasterBitmap {
  public:
    BottomUpBitmap(int32_t width, int32_t height)
        : width_(width), height_(height), store_(static_cast<size_t>(width * height)) {}
    Pixel* Pixels() const override { return const_cast<Pixel*>(store_.data()); }
    int32_t Width() const override { return width_; }
    int32_t Height() const override { return height_; }
    int32_t RowPitch() const override { return width_; }
    bool IsBottomUp() const override { return true; }
    bool Resize(int32_t, int32_t) override { return false; }
    Pixel& Logical(int32_t x, int32_t y) {
        return store_[static_cast<size_t>((height_ - 1 - y) * width_ + x)];
    }

  private:
    int32_t width_, height_;
    std::vector<Pixel> store_;
};

TEST(BlitBitmap, NegativeDestinationSkipsTheHiddenSourcePart) {
    MemoryBitmap src(8, 6, 4), dst(10, 10, 4);
    FillPattern(src);
    Fill(dst, 0x11111111);
    BlitBitmap(&dst, &src, -3, -2, nullptr, 1.0f, CombineCopy);
    for (int32_t y = 0; y < 10; ++y)
        for (int32_t x = 0; x < 10; ++x)
            ASSERT_EQ(At(dst, x, y), x < 5 && y < 4 ? Pattern(x + 3, y + 2) : 0x11111111u)
                << x << "," << y;
}

TEST(BlitBitmap, SourceRectangleIsCutToTheSourceAndNegativeCornersShiftTheDrawing) {
    MemoryBitmap src(4, 4, 4), dst(8, 8, 4);
    FillPattern(src);
    Fill(dst, 0);
    const PixelRect beyond{2, 1, 100, 100};
    BlitBitmap(&dst, &src, 0, 0, &beyond, 1.0f, CombineCopy);
    EXPECT_EQ(At(dst, 1, 2), Pattern(3, 3));
    EXPECT_EQ(At(dst, 2, 0), 0u);  // nothing read past the source's right edge
    EXPECT_EQ(At(dst, 0, 3), 0u);

    Fill(dst, 0);
    const PixelRect before{-2, -1, 2, 2};
    BlitBitmap(&dst, &src, 1, 1, &before, 1.0f, CombineCopy);
    EXPECT_EQ(At(dst, 3, 2), Pattern(0, 0));
    EXPECT_EQ(At(dst, 4, 3), Pattern(1, 1));
    EXPECT_EQ(At(dst, 2, 2), 0u);
    EXPECT_EQ(At(dst, 5, 2), 0u);
}

TEST(BlitBitmap, DisjointOrDegenerateBlitsDrawNothing) {
    MemoryBitmap src(4, 4, 4), dst(4, 4, 4), empty(0, 0, 4);
    FillPattern(src);
    Fill(dst, 7);
    const PixelRect outside{10, 10, 20, 20};
    BlitBitmap(&dst, &src, 0, 0, &outside, 1.0f, CombineCopy);
    BlitBitmap(&dst, &src, 4, 0, nullptr, 1.0f, CombineCopy);
    BlitBitmap(&dst, &src, -4, 0, nullptr, 1.0f, CombineCopy);
    BlitBitmap(&dst, &src, 0, 0, nullptr, 0.0f, CombineCopy);
    BlitBitmap(&dst, &src, 0, 0, nullptr, 1.0f, 6);
    BlitBitmap(&dst, &empty, 0, 0, nullptr, 1.0f, CombineCopy);
    BlitBitmap(&dst, nullptr, 0, 0, nullptr, 1.0f, CombineCopy);
    BlitBitmapRect(&dst, &src, 0, 0, 1, 1, INT32_MAX, INT32_MAX, 1.0f, CombineCopy);
    BlitBitmapRect(&dst, &src, INT32_MAX, INT32_MIN, 0, 0, 4, 4, 1.0f, CombineCopy);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x)
            EXPECT_EQ(At(dst, x, y), x >= 0 && y < 3 && x < 3 ? Pattern(x + 1, y + 1) : 7u);
}

TEST(BlitBitmap, HalfWeightCopyHalvesEachChannelSeparately) {
    MemoryBitmap src(2, 1, 4), dst(2, 1, 4);
    Fill(src, 0xFFFFFFFF);
    Fill(dst, 0xFFFFFFFF);
    BlitBitmap(&dst, &src, 0, 0, nullptr, 0.5f, CombineCopy);
    EXPECT_EQ(At(dst, 0, 0), 0xFEFEFEFEu);
    // Other weights take the per-channel rule.
    Fill(dst, 0xFFFFFFFF);
    BlitBitmap(&dst, &src, 0, 0, nullptr, 0.25f, CombineCopy);
    EXPECT_EQ(At(dst, 0, 0), 0xFFFFFFFFu);
}

TEST(BlitBitmap, ChannelCopyMovesOneByteAndIgnoresTheWeight) {
    MemoryBitmap src(1, 1, 4), dst(1, 1, 4);
    Fill(src, 0xA1B2C3D4);
    Fill(dst, 0x11223344);
    BlitBitmap(&dst, &src, 0, 0, nullptr, 0.3f, 0xF3);  // source alpha into destination blue
    EXPECT_EQ(At(dst, 0, 0), 0x112233A1u);
    BlitBitmap(&dst, &src, 0, 0, nullptr, 1.0f, 0xFC);  // source blue into destination alpha
    EXPECT_EQ(At(dst, 0, 0), 0xD42233A1u);
}

TEST(BlitBitmap, CombinedBlitMatchesThePerPixelRule) {
    MemoryBitmap src(7, 5, 4), dst(7, 5, 4);
    FillPattern(src);
    for (CombineMode mode : {CombineCopy | UseSourceAlpha, CombineAdd | UseSourceAlpha,
                             CombineDodge | UseSourceAlpha, CombineCopy, CombineMultiply}) {
        for (float weight : {1.0f, 0.7f}) {
            Fill(dst, 0x80604020);
            BlitBitmap(&dst, &src, 0, 0, nullptr, weight, mode);
            const int w = WeightToInt(weight);
            PixelCombiner rule = SelectCombiner(mode, w);
            for (int32_t y = 0; y < 5; ++y)
                for (int32_t x = 0; x < 7; ++x) {
                    Pixel expected = 0x80604020;
                    const Pixel s = Pattern(x, y);
                    rule(&expected, channel::Get(s, 2), channel::Get(s, 1), channel::Get(s, 0),
                         channel::Get(s, 3), w);
                    ASSERT_EQ(At(dst, x, y), expected) << std::hex << mode << " " << weight;
                }
        }
    }
}

TEST(BlitBitmap, BottomUpBitmapsAreAddressedByLogicalRow) {
    BottomUpBitmap src(3, 3);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 3; ++x) src.Logical(x, y) = Pattern(x, y);
    MemoryBitmap dst(3, 3, 4);
    Fill(dst, 0);
    BlitBitmap(&dst, &src, 0, 1, nullptr, 1.0f, CombineCopy);
    EXPECT_EQ(At(dst, 2, 1), Pattern(2, 0));
    EXPECT_EQ(At(dst, 0, 2), Pattern(0, 1));

    BottomUpBitmap back(3, 3);
    BlitBitmap(&back, &dst, 0, 0, nullptr, 1.0f, CombineCopy);
    EXPECT_EQ(back.Logical(2, 1), Pattern(2, 0));
    FillArea(&back, 0, 0, 3, 1, 0xDEADBEEF, 1.0f, CombineCopy);
    EXPECT_EQ(back.Logical(1, 0), 0xDEADBEEFu);
    EXPECT_EQ(back.Logical(1, 1), Pattern(1, 0));
}

TEST(BlitBitmap, OverlappingBlitWithinOneBitmapReadsTheOriginal) {
    for (int32_t shift : {-2, 2}) {
        MemoryBitmap bitmap(8, 8, 4);
        FillPattern(bitmap);
        BlitBitmapRect(&bitmap, &bitmap, 2 + shift, 2 + shift, 2, 2, 4, 4, 0.5f, CombineCopy);
        for (int32_t y = 0; y < 4; ++y)
            for (int32_t x = 0; x < 4; ++x) {
                const Pixel under = Pattern(x + 2 + shift, y + 2 + shift);
                const Pixel over = Pattern(x + 2, y + 2);
                ASSERT_EQ(At(bitmap, x + 2 + shift, y + 2 + shift),
                          ((over >> 1) & 0x7F7F7F7F) + ((under >> 1) & 0x7F7F7F7F));
            }
    }
}

// The word-wide shortcuts must agree with what quarter-steps of the weight mean.
TEST(FillArea, WordShortcutsForQuarterWeights) {
    const Pixel c = 0xFF8040C8, d = 0x3060A0F0;
    auto quarter = [](Pixel v) { return (v >> 2) & 0x3F3F3F3Fu; };
    auto half = [](Pixel v) { return (v >> 1) & 0x7F7F7F7Fu; };
    const struct {
        float weight;
        Pixel expected;
    } cases[] = {{1.0f, c},
                 {0.75f, half(c) + quarter(c) + quarter(d)},
                 {0.5f, half(c) + half(d)},
                 {0.25f, quarter(c) + half(d) + quarter(d)}};
    for (const auto& k : cases) {
        MemoryBitmap bitmap(3, 2, 4);
        Fill(bitmap, d);
        FillArea(&bitmap, 0, 0, 3, 2, c, k.weight, CombineCopy);
        EXPECT_EQ(At(bitmap, 2, 1), k.expected) << k.weight;
    }
}

TEST(FillArea, ColourAlphaScalesTheWeightWithSourceAlpha) {
    MemoryBitmap bitmap(2, 2, 4);
    Fill(bitmap, 0x10203040);
    FillArea(&bitmap, 0, 0, 2, 2, 0xFF123456, 1.0f, CombineCopy | UseSourceAlpha);
    EXPECT_EQ(At(bitmap, 1, 1), 0xFF123456u);

    Fill(bitmap, 0x10203040);
    FillArea(&bitmap, 0, 0, 2, 2, 0x80FFFFFF, 1.0f, CombineCopy | UseSourceAlpha);
    EXPECT_EQ(At(bitmap, 0, 0), 0x08101820u + 0x407F7F7Fu);  // w = 128: word average
}

TEST(FillArea, OtherWeightsUseTheWeightAsAlpha) {
    MemoryBitmap bitmap(1, 1, 4);
    Fill(bitmap, 0xFF000000);
    FillArea(&bitmap, 0, 0, 1, 1, 0x00FFFFFF, 0.3f, CombineCopy);  // w = 76
    const int w = 76;
    const int colour = 255 + (0 - 255) * (256 - w) / 256;
    EXPECT_EQ(At(bitmap, 0, 0),
              channel::Pack(w + (255 - w) * (256 - w) / 256, colour, colour, colour));

    Fill(bitmap, 0x10101010);
    FillArea(&bitmap, 0, 0, 1, 1, 0xFF202020, 1.0f, CombineAdd);
    EXPECT_EQ(At(bitmap, 0, 0), 0xFF303030u);  // alpha gains w = 256 and saturates
    FillArea(&bitmap, 0, 0, 1, 1, 0xFF202020, 1.0f, 6);
    FillArea(&bitmap, 0, 0, 1, 1, 0xFF202020, 1.0f, 0xF3);
    EXPECT_EQ(At(bitmap, 0, 0), 0xFF303030u);
}

TEST(FillArea, ClipsToTheBitmap) {
    MemoryBitmap bitmap(8, 3, 4);
    Fill(bitmap, 0);
    FillArea(&bitmap, -4, 1, 10, 100, 0xFFFFFFFF, 1.0f, CombineCopy);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 8; ++x)
            ASSERT_EQ(At(bitmap, x, y), y >= 1 && x < 6 ? 0xFFFFFFFFu : 0u) << x << "," << y;
    FillArea(&bitmap, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 0x1, 1.0f, CombineCopy);
    FillArea(&bitmap, 8, 0, 5, 5, 0x1, 1.0f, CombineCopy);
    FillArea(&bitmap, 0, 0, 5, 5, 0x1, 0.0f, CombineCopy);
    FillArea(&bitmap, 0, 0, 5, 5, 0x00FFFFFF, 1.0f, CombineCopy | UseSourceAlpha);
    EXPECT_EQ(At(bitmap, 0, 0), 0u);
    EXPECT_EQ(At(bitmap, 0, 1), 0xFFFFFFFFu);
}

}  // namespace
}  // namespace tav
