#include <gtest/gtest.h>

#include "raster/channel_math.h"
#include "raster/pixel_combiner.h"

namespace tav {
namespace {

Pixel Combine(CombineMode mode, int w, Pixel dst, Pixel src) {
    PixelCombiner combine = SelectCombiner(mode, w);
    EXPECT_NE(combine, nullptr) << std::hex << mode;
    if (combine != nullptr)
        combine(&dst, channel::Get(src, 2), channel::Get(src, 1), channel::Get(src, 0),
                channel::Get(src, 3), w);
    return dst;
}

TEST(PixelCombiner, CopyWithSourceAlphaAtFullWeight) {
    const Pixel dst = 0xC8204060;
    EXPECT_EQ(Combine(UseSourceAlpha, 256, dst, 0x00FFFFFF), dst);
    EXPECT_EQ(Combine(UseSourceAlpha, 256, dst, 0xFF112233), 0xFF112233u);
    // sa 128 over da 200: alpha saturates; colours keep (255 - 128) / 256 of themselves.
    const Pixel mixed = Combine(UseSourceAlpha, 256, 0xC8000000, 0x80FF8040);
    EXPECT_EQ(mixed, 0xFF814121u);
}

TEST(PixelCombiner, CopyWithSourceAlphaAtPartialWeight) {
    // k = 128 * (255 + 1) / 256 = 128: alpha accumulates, colours meet half way.
    EXPECT_EQ(Combine(UseSourceAlpha, 128, 0x10000000, 0xFFFF0080), 0x90800040u);
    // Partial weight uses (256 - k), not (255 - sa): k = 200 * 101 / 256 = 78.
    const Pixel out = Combine(UseSourceAlpha, 200, 0x20646464, 0x64C8C8C8);
    const int k = 200 * 101 / 256;
    const int c = 200 + (100 - 200) * (256 - k) / 256;
    EXPECT_EQ(out, channel::Pack(0x20 + k, c, c, c));
    EXPECT_EQ(Combine(UseSourceAlpha, 200, 0x20646464, 0x00C8C8C8), 0x20646464u);
}

TEST(PixelCombiner, PlainCopyBlendsAllFourChannels) {
    EXPECT_EQ(Combine(CombineCopy, 256, 0x12345678, 0x9ABCDEF0), 0x9ABCDEF0u);
    // d = s + (d - s) * (256 - w) / 256, truncating toward zero for negative differences.
    EXPECT_EQ(Combine(CombineCopy, 64, 0x00FF0064, 0xFF00FF00),
              channel::Pack(255 + (0 - 255) * 192 / 256, 0 + 255 * 192 / 256, 255 - 255 * 192 / 256,
                            100 * 192 / 256));
}

TEST(PixelCombiner, AddSaturatesEveryChannel) {
    EXPECT_EQ(Combine(CombineAdd, 256, 0x80F0F0F0, 0x80202020), 0xFFFFFFFFu);
    EXPECT_EQ(Combine(CombineAdd | UseSourceAlpha, 256, 0x10F01010, 0xFF808080), 0xFFFF9090u);
    // Source alpha 0 adds nothing, not even to alpha.
    EXPECT_EQ(Combine(CombineAdd | UseSourceAlpha, 256, 0x10101010, 0x00FFFFFF), 0x10101010u);
    // A negative weight subtracts, clamped at 0.
    EXPECT_EQ(Combine(CombineAdd, -256, 0x10101010, 0x20202020), 0u);
}

TEST(PixelCombiner, DodgeBrightensAndSaturates) {
    // t = 128: d * 256 / 128 doubles the channel.
    EXPECT_EQ(Combine(CombineDodge, 256, 0x10204080, 0x80808080), 0x204080FFu);
    // t > 254: any non-zero channel goes to 255, zero stays.
    EXPECT_EQ(Combine(CombineDodge, 256, 0x00010000, 0xFFFFFFFF), 0x00FF0000u);
}

TEST(PixelCombiner, MultiplyDarkensByTheSource) {
    EXPECT_EQ(Combine(CombineMultiply, 256, 0xFFFFFFFF, 0x80408000), 0x7F3F7F00u);
    EXPECT_EQ(Combine(CombineMultiply, 128, 0xFFFFFFFF, 0x00000000), 0x7F7F7F7Fu);
    EXPECT_EQ(Combine(CombineMultiply | UseSourceAlpha, 256, 0x80808080, 0x00000000), 0x80808080u);
}

TEST(PixelCombiner, OverlayKeepsAlphaAndFollowsTheDestination) {
    // Dark destination multiplies (2sd/255), light destination screens.
    const Pixel out = Combine(CombineOverlay, 256, 0x40402080, 0x00FF8080);
    EXPECT_EQ(out, channel::Pack(0x40, 2 * 255 * 0x40 / 255, 2 * 128 * 0x20 / 255,
                                 255 - 2 * 127 * 127 / 255));
    EXPECT_EQ(Combine(CombineOverlay | UseSourceAlpha, 256, 0x40402080, 0x00FF8080), 0x40402080u);
}

TEST(PixelCombiner, NeutralHsvAdjustmentLeavesEveryColour) {
    PixelCombiner adjust = SelectCombiner(CombineHsvAdjust, 256);
    ASSERT_NE(adjust, nullptr);
    for (int r = 0; r < 256; r += 3)
        for (int g = 0; g < 256; g += 5)
            for (int b = 0; b < 256; b += 7) {
                Pixel d = channel::Pack(0x5A, r, g, b);
                const Pixel before = d;
                adjust(&d, 0, 128, 128, 255, 256);
                ASSERT_EQ(d, before) << r << " " << g << " " << b;
            }
}

TEST(PixelCombiner, HsvAdjustTurnsHueAndScalesSaturationAndValue) {
    // 85/256 and 170/256 of a turn take red almost to green and almost to blue.
    EXPECT_EQ(Combine(CombineHsvAdjust, 256, 0x11FF0000, 0x00558080), 0x1101FF00u);
    EXPECT_EQ(Combine(CombineHsvAdjust, 256, 0x11FF0000, 0x00AA8080), 0x110003FFu);
    EXPECT_EQ(Combine(CombineHsvAdjust, 256, 0x11FF4020, 0x00000080), 0x11FFFFFFu);  // grey
    EXPECT_EQ(Combine(CombineHsvAdjust, 256, 0x11804020, 0x00008040), 0x11402010u);  // half value
}

TEST(PixelCombiner, NothingIsSelectedForUnknownModesOrEmptyCopies) {
    EXPECT_EQ(SelectCombiner(6, 256), nullptr);
    EXPECT_EQ(SelectCombiner(0xF3, 256), nullptr);  // channel copy is the 1:1 blit's own
    EXPECT_EQ(SelectCombiner(CombineCopy, 0), nullptr);
    EXPECT_EQ(SelectCombiner(CombineCopy | UseSourceAlpha, -10), nullptr);
    EXPECT_EQ(SelectCombiner(CombineMultiply, -10), nullptr);
    EXPECT_NE(SelectCombiner(CombineAdd, -10), nullptr);
}

TEST(PixelCombiner, WeightConversionTruncatesAndStaysInRange) {
    EXPECT_EQ(WeightToInt(1.0f), 256);
    EXPECT_EQ(WeightToInt(0.5f), 128);
    EXPECT_EQ(WeightToInt(0.999f), 255);
    EXPECT_EQ(WeightToInt(7.0f), 256);
    EXPECT_EQ(WeightToInt(-3.0f), -256);
    EXPECT_EQ(WeightToInt(__builtin_nanf("")), 0);
    EXPECT_EQ(WeightToInt(__builtin_inff()), 256);
}

}  // namespace
}  // namespace tav
