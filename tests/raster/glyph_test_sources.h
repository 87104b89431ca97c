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

// A bitmap inside a frame of guard pixels that no drawing may touch.
class GuardedBitmap final : public RasterBitmap {
  public:
    static constexpr int32_t kGuard = 40;
    static constexpr Pixel kGuardWord = 0x5A5A5A5A;
    GuardedBitmap(int32_t width, int32_t height, Pixel paper)
        : width_(width),
          height_(height),
          store_(static_cast<size_t>((width + 2 * kGuard) * (height + 2 * kGuard)), kGuardWord) {
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x) Pixels()[y * RowPitch() + x] = paper;
    }
    Pixel* Pixels() const override {
        return const_cast<Pixel*>(store_.data()) + kGuard * RowPitch() + kGuard;
    }
    int32_t Width() const override { return width_; }
    int32_t Height() const override { return height_; }
    int32_t RowPitch() const override { return width_ + 2 * kGuard; }
    bool Resize(int32_t, int32_t) override { return false; }
    bool GuardIntact() const {
        const int32_t pitch = RowPitch();
        for (int32_t y = 0; y < height_ + 2 * kGuard; ++y)
            for (int32_t x = 0; x < pitch; ++x) {
                const bool inside =
                    x >= kGuard && x < kGuard + width_ && y >= kGuard && y < kGuard + height_;
                if (!inside && store_[static_cast<size_t>(y * pitch + x)] != kGuardWord)
                    return false;
            }
        return true;
    }

  private:
    int32_t width_, height_;
    std::vector<Pixel> store_;
};

}  // namespace tav::test
