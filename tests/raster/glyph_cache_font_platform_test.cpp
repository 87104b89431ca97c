#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "raster/channel_math.h"
#include "raster/glyph_cache_font.h"
#include "raster/memory_bitmap.h"
#include "raster/native_text.h"
#include "raster/system_bitmap.h"
#include "tests/raster/glyph_test_sources.h"
#include "tests/raster/test_bitmaps.h"
#include "tests/raster/test_png_writer.h"

namespace tav {
namespace {

using test::At;
using test::CountingGlyphSource;

constexpr Pixel kDark = 0xFF181C24;

// The box of pixels that differ from the paper; empty when none do.
PixelRect InkedBox(const RasterBitmap& bitmap, Pixel paper) {
    PixelRect box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (int32_t y = 0; y < bitmap.Height(); ++y)
        for (int32_t x = 0; x < bitmap.Width(); ++x)
            if (At(bitmap, x, y) != paper) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x + 1);
                box.bottom = std::max(box.bottom, y + 1);
            }
    return box.left > box.right ? PixelRect{} : box;
}

// Real platform fonts, glyphs counted on their way from the platform.
class PlatformFontTest : public ::testing::Test {
  protected:
    PlatformFontTest() : counter_(PlatformGlyphSource()), font_(counter_) {}
    ~PlatformFontTest() override { GlyphCacheFont::SetWineAnswer(-1); }

    void Attach(const char* face, int height, uint32_t flags = FontOwnsHandle, int quality = 0) {
        FontRequest request;
        request.faceName = face;
        request.height = height;
        request.quality = quality;
        NativeFont handle = CreateNativeFont(request);
        ASSERT_NE(handle, nullptr) << face;
        font_.AttachFont(handle, flags);
    }

    CountingGlyphSource counter_;
    GlyphCacheFont font_;
};

TEST_F(PlatformFontTest, EditorFacesHaveTheCellHeightAskedFor) {
    for (const char* face : {"Arial", "Verdana"})
        for (int height : {11, 14, 15, 20}) {
            Attach(face, height);
            EXPECT_EQ(font_.LineHeight(), height) << face;
        }
}

TEST_F(PlatformFontTest, EachCharacterIsRenderedOncePerAttachedHandle) {
    Attach("Arial", 14);
    MemoryBitmap bitmap(80, 20, 4);
    for (int pass = 0; pass < 3; ++pass) {
        PixelRect rect{0, 0, 80, 20};
        font_.RenderText(&bitmap, "1/2 60% 2500Hz", -1, &rect, TextCenter);
    }
    for (const auto& entry : counter_.renders) EXPECT_EQ(entry.second, 1) << entry.first;
    EXPECT_EQ(counter_.renders.size(), 10u);  // 1 / 2 space 6 0 % 5 H z
    Attach("Arial", 14);
    PixelRect rect{0, 0, 80, 20};
    font_.RenderText(&bitmap, "22", -1, &rect, 0);
    EXPECT_EQ(counter_.renders['2'], 2);
}

// Under Wine the cache draws even for a font that prefers native drawing; otherwise
// Windows draws through GDI, into the bitmap's own context or a borrowed one.
TEST_F(PlatformFontTest, WineAnswerChoosesTheCache) {
    MemoryBitmap memory(60, 20, 4);
    SystemBitmap system(60, 20);
    for (RasterBitmap* bitmap :
         {static_cast<RasterBitmap*>(&memory), static_cast<RasterBitmap*>(&system)})
        for (int wine : {1, 0}) {
            GlyphCacheFont::SetWineAnswer(wine);
            Attach("Arial", 14, FontOwnsHandle | FontPreferNative);
            counter_.renders.clear();
            test::Fill(*bitmap, kDark);
            font_.SetForeground(0xFFFFFFFF);
            PixelRect measured{0, 0, 0, 0};
            EXPECT_EQ(font_.RenderText(nullptr, "Hz", -1, &measured, TextCalcRect), 14);
            PixelRect rect{0, 0, 60, 20};
            font_.RenderText(bitmap, "Hz", -1, &rect, TextNoClip);
            const bool cached = counter_.Total() > 0;
            EXPECT_EQ(cached, wine == 1 || !NativeTextAvailable()) << wine;
            const PixelRect ink = InkedBox(*bitmap, kDark);
            EXPECT_FALSE(ink.IsEmpty()) << wine;
            EXPECT_LE(ink.right, measured.right + 1) << wine;
        }
}

// The Windows build is only ever tested under Wine, so there the probe must find it.
TEST(PlatformFont, WineProbeAnswersOncePerProcess) {
    GlyphCacheFont::SetWineAnswer(-1);
    EXPECT_EQ(GlyphCacheFont::UnderWine(), NativeTextAvailable());
    EXPECT_EQ(ProbeWine(), GlyphCacheFont::UnderWine());
}

TEST_F(PlatformFontTest, NativeOrCachedTextStaysInsideTheBitmap) {
    const PixelRect rects[] = {{-30, -8, 10, 6},
                               {6, 4, 9, 7},
                               {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX},
                               {INT32_MAX - 3, 2, INT32_MAX, 8},
                               {12, 9, 0, 0}};
    const uint32_t flagSets[] = {0, TextNoClip, TextCenter | TextVCenter | TextNoClip,
                                 TextRight | TextBottom, TextSingleLine | TextCenter};
    for (int wine : {0, 1}) {
        GlyphCacheFont::SetWineAnswer(wine);
        Attach("Arial", 14, FontOwnsHandle | FontPreferNative);
        font_.SetForeground(0xFFFFFFFF);
        for (const PixelRect& r : rects)
            for (uint32_t flags : flagSets) {
                test::GuardedBitmap bitmap(12, 9, kDark);
                PixelRect rect = r;
                font_.RenderText(&bitmap, "W\xC3\xA9g\nj", -1, &rect, flags);
                EXPECT_TRUE(bitmap.GuardIntact()) << wine << " " << r.left << " " << flags;
            }
    }
}

TEST_F(PlatformFontTest, LineHeightAbove255GoesNative) {
    GlyphCacheFont::SetWineAnswer(1);
    Attach("Arial", 300, FontOwnsHandle);
    EXPECT_EQ(font_.DrawsNatively(TextUseColourAlpha), NativeTextAvailable());
    MemoryBitmap bitmap(400, 320, 4);
    test::Fill(bitmap, kDark);
    font_.SetForeground(0xFFFFFFFF);
    PixelRect rect{0, 0, 400, 320};
    font_.RenderText(&bitmap, "W", -1, &rect, 0);
    EXPECT_EQ(counter_.Total() == 0, NativeTextAvailable());
    EXPECT_FALSE(InkedBox(bitmap, kDark).IsEmpty());
}

// A character the face lacks takes the same room when measured and when drawn.
TEST_F(PlatformFontTest, MissingCharacterAdvancesAlikeInMeasureAndDraw) {
    Attach("Arial", 15);
    const char* lacking = "\xEE\x80\x80";  // U+E000, private use
    PixelRect one{0, 0, 0, 0}, two{0, 0, 0, 0};
    font_.RenderText(nullptr, lacking, -1, &one, TextCalcRect);
    font_.RenderText(nullptr, (std::string(lacking) + "H").c_str(), -1, &two, TextCalcRect);
    const int advance = font_.Glyph(0xE000).advance;
    EXPECT_EQ(one.right,
              std::max(advance, font_.Glyph(0xE000).maskWidth - font_.Glyph(0xE000).overhang));

    MemoryBitmap together(60, 20, 4), apart(60, 20, 4);
    test::Fill(together, kDark);
    test::Fill(apart, kDark);
    font_.SetForeground(0xFFFFFFFF);
    PixelRect rect{0, 0, 60, 20};
    font_.RenderText(&together, (std::string(lacking) + "H").c_str(), -1, &rect, 0);
    font_.RenderText(&apart, lacking, -1, &rect, 0);
    PixelRect shifted{advance, 0, 60, 20};
    font_.RenderText(&apart, "H", -1, &shifted, 0);
    EXPECT_EQ(test::HashPixels(together), test::HashPixels(apart));
    EXPECT_EQ(two.right, advance + font_.Glyph('H').advance);
}

TEST(PlatformFont, UnknownFaceGivesNoFont) {
    FontRequest request;
    request.faceName = "No Such Face Anywhere";
    NativeFont handle = CreateNativeFont(request);
    // GDI maps any name to some face; elsewhere only a face of that family counts.
    if (NativeTextAvailable()) {
        EXPECT_NE(handle, nullptr);
    } else {
        EXPECT_EQ(handle, nullptr);
    }
    DeleteNativeFont(handle);
    DeleteNativeFont(nullptr);
}

// "2500Hz" as a knob shows its value: light text centred into a strip of a dark canvas.
// Pictures in the default and the antialiased quality.
TEST_F(PlatformFontTest, KnobValuePicture) {
    for (int quality : {0, 2}) {
        Attach("Arial", 15, FontOwnsHandle | FontPreferNative, quality);
        MemoryBitmap canvas(90, 35, 4);
        test::Fill(canvas, kDark);
        const PixelRect strip{20, 10, 70, 25};
        PixelRect rect = strip;
        font_.SetForeground(0xC8F0F0F0);  // alpha 200
        font_.RenderText(&canvas, "2500Hz", -1, &rect,
                         TextNoClip | TextCenter | TextUseColourAlpha);

        const std::string name =
            test::TestOutputDir("raster") + "/knob_value_2500hz_quality" + std::to_string(quality);
        EXPECT_TRUE(test::WritePng(canvas, name + ".png"));
        EXPECT_TRUE(test::WritePng(canvas, name + "_x8.png", 8));

        const PixelRect ink = InkedBox(canvas, kDark);
        ASSERT_FALSE(ink.IsEmpty());
        EXPECT_GE(ink.left, strip.left);
        EXPECT_GE(ink.top, strip.top);
        EXPECT_LE(ink.right, strip.right);
        EXPECT_LE(ink.bottom, strip.bottom);
        // Centred within one pixel: the two margins differ by at most two.
        EXPECT_LE(std::abs((ink.left - strip.left) - (strip.right - ink.right)), 2)
            << ink.left << ".." << ink.right;
        int brightest = 0;
        for (int32_t y = ink.top; y < ink.bottom; ++y)
            for (int32_t x = ink.left; x < ink.right; ++x)
                brightest = std::max(brightest, channel::Get(At(canvas, x, y), 1));
        EXPECT_GE(brightest, 170) << quality;
    }
}

}  // namespace
}  // namespace tav
