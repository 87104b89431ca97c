#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "raster/channel_math.h"
#include "raster/glyph_cache_font.h"
#include "raster/glyph_text_utf8.h"
#include "raster/memory_bitmap.h"
#include "tests/raster/glyph_test_sources.h"
#include "tests/raster/test_bitmaps.h"

namespace tav {
namespace {

using test::At;
using test::FakeGlyphSource;
using test::Fill;

constexpr Pixel kInk = 0xFFF0E0D0;
constexpr Pixel kPaper = 0xFF102030;

std::vector<uint32_t> Decode(const std::string& text) {
    std::vector<uint32_t> codes;
    Utf8Reader reader(text.data(), text.size());
    for (uint32_t code = 0; reader.Next(&code);) codes.push_back(code);
    return codes;
}

TEST(Utf8Reader, DecodesLenientlyOneCharacterAtATime) {
    const struct {
        std::string text;
        std::vector<uint32_t> codes;
        bool containsUtf8;
    } cases[] = {
        {"Az", {'A', 'z'}, false},
        {"\xC3\xA9", {0xE9}, true},
        {"\xE2\x82\xAC!", {0x20AC, '!'}, true},
        {"\xF0\x9F\x98\x80", {32}, true},  // beyond 16 bits: a space
        {"\xF0\x9F\x98", {0xF0, 0x9F, 0x98}, true},
        {"a\xC3", {'a', 0xC3}, false},  // lone lead byte at the end
        {"\xC3"
         "A",
         {0xC3, 'A'},
         false},
        {"\xE2\x82", {0xE2, 0x82}, false},
        {"\xC0\x80\xF5\x80", {0xC0, 0x80, 0xF5, 0x80}, false},
        {"\x80\xBF", {0x80, 0xBF}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Decode(c.text), c.codes) << c.text;
        EXPECT_EQ(ContainsUtf8(c.text.data(), c.text.size()), c.containsUtf8) << c.text;
    }
}

// A font on made-up glyphs, drawing light ink onto dark paper.
class GlyphCacheFontTest : public ::testing::Test {
  protected:
    GlyphCacheFontTest() : font_(source_) {
        font_.AttachFont(test::FakeHandle(), 0);
        font_.SetForeground(kInk);
    }

    static std::unique_ptr<MemoryBitmap> Paper() {
        auto bitmap = std::make_unique<MemoryBitmap>(60, 30, 4);
        Fill(*bitmap, kPaper);
        return bitmap;
    }

    int Draw(RasterBitmap& bitmap, const std::string& text, PixelRect rect, uint32_t flags) {
        return font_.RenderText(&bitmap, text.data(), static_cast<int>(text.size()), &rect, flags);
    }

    // The same text drawn glyph by glyph at the given pen positions.
    std::unique_ptr<MemoryBitmap> ByGlyph(
        const std::vector<std::pair<uint32_t, std::pair<int, int>>>& glyphs) {
        auto bitmap = Paper();
        const PixelRect all{0, 0, bitmap->Width(), bitmap->Height()};
        for (const auto& g : glyphs)
            font_.DrawGlyph(bitmap.get(), g.first, g.second.first, g.second.second, all);
        return bitmap;
    }

    FakeGlyphSource source_;
    GlyphCacheFont font_;
};

bool SamePixels(const std::unique_ptr<MemoryBitmap>& a, const std::unique_ptr<MemoryBitmap>& b) {
    return test::HashPixels(*a) == test::HashPixels(*b);
}

TEST_F(GlyphCacheFontTest, TextLaysOutLikeItsGlyphsPlacedOneByOne) {
    const int a = FakeGlyphSource::Advance('A'), x = FakeGlyphSource::Advance('x');
    const int space = FakeGlyphSource::Advance(' ');
    const int line = source_.lineHeight;
    const struct {
        const char* name;
        std::string text;
        uint32_t flags;
        std::vector<std::pair<uint32_t, std::pair<int, int>>> glyphs;
    } cases[] = {
        {"four-byte sequence is a space",
         "A\xF0\x9F\x98\x80"
         "B",
         0,
         {{'A', {2, 3}}, {' ', {2 + a, 3}}, {'B', {2 + a + space, 3}}}},
        {"lone lead byte at the end", "x\xC3", 0, {{'x', {2, 3}}, {0xC3, {2 + x, 3}}}},
        {"line feed starts a new line", "A\nB", 0, {{'A', {2, 3}}, {'B', {2, 3 + line}}}},
        {"line feed on a single line",
         "A\nB",
         TextSingleLine,
         {{'A', {2, 3}}, {' ', {2 + a, 3}}, {'B', {2 + a + space, 3}}}},
        {"carriage return is dropped", "A\r\nB", 0, {{'A', {2, 3}}, {'B', {2, 3 + line}}}},
    };
    for (const auto& c : cases) {
        auto drawn = Paper();
        Draw(*drawn, c.text, {2, 3, 60, 30}, c.flags);
        EXPECT_TRUE(SamePixels(drawn, ByGlyph(c.glyphs))) << c.name;
    }
}

TEST_F(GlyphCacheFontTest, MeasuresTheExtentOfTheText) {
    const int line = source_.lineHeight;
    const int ab = FakeGlyphSource::Advance('A') + FakeGlyphSource::Advance('B');
    const struct {
        std::string text;
        uint32_t flags;
        int width, height;
    } cases[] = {
        {"", 0, 0, 0},
        {"AB", 0, ab, line},
        {"AB\nA", 0, ab, 2 * line},
        {"AB\nA", TextSingleLine,
         ab + FakeGlyphSource::Advance(' ') + FakeGlyphSource::Advance('A'), line},
        {"\n", 0, 0, 0},
    };
    for (const auto& c : cases) {
        PixelRect rect{5, 7, 100, 100};
        const int height =
            font_.RenderText(nullptr, c.text.c_str(), -1, &rect, TextCalcRect | c.flags);
        EXPECT_EQ(rect, (PixelRect{5, 7, 5 + c.width, 7 + c.height})) << c.text;
        EXPECT_EQ(height, c.height) << c.text;
    }
}

TEST_F(GlyphCacheFontTest, EachCharacterIsRenderedOncePerAttachedFont) {
    auto bitmap = Paper();
    Draw(*bitmap, "abca\xC3\xA9", {0, 0, 60, 30}, 0);
    Draw(*bitmap, "cab\xC3\xA9", {0, 0, 60, 30}, TextCenter);
    EXPECT_EQ(source_.rendered, (std::vector<uint32_t>{'a', 'b', 'c', 0xE9}));
    font_.AttachFont(test::FakeHandle(), 0);
    Draw(*bitmap, "ba", {0, 0, 60, 30}, 0);
    EXPECT_EQ(source_.rendered, (std::vector<uint32_t>{'a', 'b', 'c', 0xE9, 'b', 'a'}));
}

TEST_F(GlyphCacheFontTest, FullWeightCoversInkedPixelsByTheirCoverage) {
    auto bitmap = Paper();
    Draw(*bitmap, "A", {0, 0, 60, 30}, 0);
    const int channels[] = {3, 2, 1, 0};
    // Row 1 is fully covered: exactly the ink colour, alpha 255.
    EXPECT_EQ(At(*bitmap, 0, 1), kInk);
    // Partly covered pixels lie between paper and ink, nearer the ink as coverage grows.
    for (int32_t x = 0; x < 3; ++x)
        for (int ch : channels) {
            const int paper = channel::Get(kPaper, ch), ink = channel::Get(kInk, ch);
            const int got = channel::Get(At(*bitmap, x, 2), ch);
            const int v = FakeGlyphSource::Coverage(x, 2);
            EXPECT_NEAR(got - paper, (ink - paper) * v / 255.0, 2.0) << x << " " << ch;
        }
    EXPECT_EQ(At(*bitmap, 0, 0), kPaper);  // no coverage, untouched
}

TEST_F(GlyphCacheFontTest, HalfAlphaColourMovesInkedPixelsAtMostHalfway) {
    // Alpha 128 gives w = (int)(128 / 255 * 256) = 128.
    const Pixel ink = (kInk & 0xFFFFFF) | 0x80000000u;
    font_.SetForeground(ink);
    auto bitmap = Paper();
    Draw(*bitmap, "A", {0, 0, 60, 30}, TextUseColourAlpha);
    for (int32_t y = 1; y < 3; ++y)
        for (int32_t x = 0; x < 3; ++x) {
            const int v = FakeGlyphSource::Coverage(x, y);
            for (int ch : {2, 1, 0}) {
                const int paper = channel::Get(kPaper, ch), full = channel::Get(ink, ch) - paper;
                const int moved = channel::Get(At(*bitmap, x, y), ch) - paper;
                EXPECT_LE(2 * std::abs(moved), std::abs(full));
                EXPECT_NEAR(moved, full * v / 512.0, 1.0) << x << "," << y;
            }
        }
}

TEST_F(GlyphCacheFontTest, ZeroWeightDrawsNothing) {
    font_.SetForeground(kInk & 0xFFFFFF);
    auto bitmap = Paper();
    EXPECT_EQ(Draw(*bitmap, "AB", {0, 0, 60, 30}, TextUseColourAlpha), 0);
    font_.SetForeground(kInk);
    font_.SetBlend(CombineCopy, 0.0f);
    EXPECT_EQ(Draw(*bitmap, "AB", {0, 0, 60, 30}, 0), 0);
    EXPECT_TRUE(SamePixels(bitmap, Paper()));
}

TEST_F(GlyphCacheFontTest, AlignmentPlacesTheMeasuredText) {
    const int w = FakeGlyphSource::Advance('A') + FakeGlyphSource::Advance('B');
    const int line = source_.lineHeight;
    const struct {
        uint32_t flags;
        int x, y;
    } cases[] = {
        {0, 4, 2},
        {TextCenter, 4 + (50 - w) / 2, 2},
        {TextRight, 54 - w, 2},
        {TextVCenter | TextCenter, 4 + (50 - w) / 2, 2 + (26 - line) / 2},
        {TextBottom, 4, 28 - line},
    };
    for (const auto& c : cases) {
        auto drawn = Paper();
        Draw(*drawn, "AB", {4, 2, 54, 28}, c.flags);
        EXPECT_TRUE(SamePixels(
            drawn, ByGlyph({{'A', {c.x, c.y}}, {'B', {c.x + FakeGlyphSource::Advance('A'), c.y}}})))
            << c.flags;
    }
}

TEST_F(GlyphCacheFontTest, MissingCharacterNeitherDrawsNorAdvances) {
    source_.missing.insert('Q');
    PixelRect rect{0, 0, 0, 0};
    font_.RenderText(nullptr, "AQB", -1, &rect, TextCalcRect);
    const int ab = FakeGlyphSource::Advance('A') + FakeGlyphSource::Advance('B');
    EXPECT_EQ(rect.right, ab);
    auto drawn = Paper();
    Draw(*drawn, "AQB", {0, 0, 60, 30}, 0);
    EXPECT_TRUE(
        SamePixels(drawn, ByGlyph({{'A', {0, 0}}, {'B', {FakeGlyphSource::Advance('A'), 0}}})));
    // Recorded as empty, never asked for again.
    Draw(*drawn, "Q", {0, 0, 60, 30}, 0);
    EXPECT_EQ(std::count(source_.rendered.begin(), source_.rendered.end(), 'Q'), 1);
}

TEST_F(GlyphCacheFontTest, OverhangingInkIsKeptLeftOfThePen) {
    const GlyphRecord& j = font_.Glyph('j');
    EXPECT_EQ(j.overhang, 1);
    EXPECT_EQ(j.maskWidth, j.advance + 1);
    auto bitmap = Paper();
    Draw(*bitmap, "j", {5, 0, 60, 30}, TextNoClip);
    EXPECT_EQ(At(*bitmap, 4, source_.lineHeight - 2), kInk);
}

TEST_F(GlyphCacheFontTest, NothingIsWrittenOutsideTheBitmap) {
    const std::string text = "jAg\nQ\xC3\xA9j\xF0\x9F\x98\x80\xE2";
    const PixelRect rects[] = {
        {-3, -4, 10, 6},
        {8, 5, 12, 9},
        {-100, -100, 200, 200},
        {INT_MIN, INT_MIN, INT_MAX, INT_MAX},
        {INT_MAX - 5, 0, INT_MAX, 9},
        {0, INT_MIN, 12, INT_MIN + 3},
        {10, 10, 2, 2},
        {INT_MIN, 0, INT_MIN + 1, 10},
    };
    const uint32_t flagSets[] = {0,
                                 TextNoClip,
                                 TextCenter | TextVCenter,
                                 TextRight | TextBottom,
                                 TextNoClip | TextCenter | TextVCenter | TextUseColourAlpha,
                                 TextSingleLine | TextRight};
    font_.SetForeground(0xA0FFFFFF);
    for (int mode : {1, 2}) {
        font_.SetBackgroundMode(mode);
        for (const PixelRect& rect : rects)
            for (uint32_t flags : flagSets) {
                test::GuardedBitmap bitmap(12, 9, kPaper);
                Draw(bitmap, text, rect, flags);
                font_.DrawGlyph(&bitmap, 'j', -1, 7, rect);
                font_.DrawGlyph(&bitmap, 'A', 11, -2, {INT_MIN, INT_MIN, INT_MAX, INT_MAX});
                EXPECT_TRUE(bitmap.GuardIntact()) << rect.left << "," << rect.top << " " << flags;
            }
    }
}

TEST_F(GlyphCacheFontTest, FontWithoutAFaceDrawsAndMeasuresNothing) {
    GlyphCacheFont empty(source_);
    empty.AttachFont(nullptr, FontOwnsHandle | FontPreferNative);
    auto bitmap = Paper();
    PixelRect rect{1, 2, 30, 20};
    EXPECT_EQ(empty.RenderText(bitmap.get(), "AB", -1, &rect, TextCenter), 0);
    EXPECT_EQ(empty.RenderText(nullptr, "AB", -1, &rect, TextCalcRect), 0);
    EXPECT_EQ(rect, (PixelRect{1, 2, 1, 2}));
    EXPECT_EQ(empty.RenderText(bitmap.get(), nullptr, -1, &rect, 0), 0);
    EXPECT_FALSE(empty.DrawsNatively(0));
    EXPECT_TRUE(SamePixels(bitmap, Paper()));
}

// Two editors may draw with one cached font from two threads: each sees whole glyphs.
TEST_F(GlyphCacheFontTest, TwoThreadsShareOneFont) {
    std::string text;
    for (uint32_t code = 0x100; code < 0x500; ++code) {
        text += static_cast<char>(0xC0 | (code >> 6));
        text += static_cast<char>(0x80 | (code & 0x3F));
    }
    auto reference = Paper();
    GlyphCacheFont single(source_);
    single.AttachFont(test::FakeHandle(), 0);
    single.SetForeground(kInk);
    PixelRect rect{-2000, 0, 60, 30};
    single.RenderText(reference.get(), text.data(), -1, &rect, TextSingleLine);

    auto first = Paper(), second = Paper();
    auto draw = [&](MemoryBitmap* bitmap) {
        PixelRect box{-2000, 0, 60, 30};
        font_.RenderText(bitmap, text.data(), -1, &box, TextSingleLine);
    };
    std::thread other(draw, first.get());
    draw(second.get());
    other.join();
    EXPECT_TRUE(SamePixels(first, reference));
    EXPECT_TRUE(SamePixels(second, reference));
}

TEST(GlyphCacheFontInstances, SharedScratchLivesWhileAnyFontDoes) {
    const int before = GlyphCacheFont::InstanceCount();
    {
        GlyphCacheFont a, b;
        EXPECT_EQ(GlyphCacheFont::InstanceCount(), before + 2);
    }
    EXPECT_EQ(GlyphCacheFont::InstanceCount(), before);
}

}  // namespace
}  // namespace tav
