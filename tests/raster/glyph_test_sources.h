#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include "raster/bitmap_rows.h"
#include "raster/glyph_source.h"

namespace tav::test {

// Handle that the fake source accepts; the font never owns it.
inline NativeFont FakeHandle() {
    static int handle = 0;
    return &handle;
}

// Made-up glyphs with known shapes: code c advances 4 + c % 3 pixels; row 1 of its ink
// is fully covered, lower rows ramp up by column (40, 90, 140, ...). 'j' also inks one
// column left of the pen. Codes in `missing` have nothing to draw.
class FakeGlyphSource final : public GlyphSource {
  public:
    int32_t LineHeight(NativeFont font, RasterBitmap&) override {
        return font != nullptr ? lineHeight : 0;
    }

    GlyphBox RenderGlyph(NativeFont, uint32_t code, int32_t pad, RasterBitmap& canvas) override {
        rendered.push_back(code);
        if (missing.count(code) != 0) return {};
        const int32_t advance = Advance(code);
        const BitmapRows rows = BitmapRows::Of(canvas);
        for (int32_t y = 0; y < lineHeight; ++y)
            for (int32_t x = 0; x < advance + 2 * pad; ++x) rows.Row(y)[x] = 0xFF000000;
        for (int32_t y = 1; y < lineHeight - 1; ++y)
            for (int32_t x = 0; x < advance - 1; ++x) rows.Row(y)[pad + x] = Grey(Coverage(x, y));
        if (code == 'j') rows.Row(lineHeight - 2)[pad - 1] = Grey(255);
        return {advance, lineHeight};
    }

    static int32_t Advance(uint32_t code) { return 4 + static_cast<int32_t>(code % 3); }
    static int Coverage(int32_t column, int32_t row) { return row == 1 ? 255 : 40 + 50 * column; }
    static Pixel Grey(int v) { return 0xFF000000u | static_cast<Pixel>(v) * 0x010101u; }

    int32_t lineHeight = 10;
    std::set<uint32_t> missing;
    std::vector<uint32_t> rendered;
};

// Passes everything on to another source, counting renders per code.
class CountingGlyphSource final : public GlyphSource {
  public:
    explicit CountingGlyphSource(GlyphSource& inner) : inner_(inner) {}
    int32_t LineHeight(NativeFont font, RasterBitmap& canvas) override {
        return inner_.LineHeight(font, canvas);
    }
    GlyphBox RenderGlyph(NativeFont font, uint32_t code, int32_t pad,
                         RasterBitmap& canvas) override {
        ++renders[code];
        return inner_.RenderGlyph(font, code, pad, canvas);
    }
    int Total() const {
        int total = 0;
        for (const auto& entry : renders) total += entry.second;
        return total;
    }

    std::map<uint32_t, int> renders;

  private:
    GlyphSource& inner_;
};

}  // namespace tav::test
