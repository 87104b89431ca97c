// The drawing surface of the demo's pictures: a paper-coloured bitmap, filled
// rectangles and text in three styles through the glyph cache, read back as RGB.
#pragma once

#include <algorithm>
#include <cstdio>
#include <string>

#include "host/png_file.h"
#include "raster/fill_area.h"
#include "raster/glyph_cache_font.h"
#include "raster/memory_bitmap.h"
#include "raster/pixel_rect.h"

namespace tav {

inline constexpr Pixel kPaper = 0xFFF6F5F2;
inline constexpr Pixel kInk = 0xFF202020;
inline constexpr Pixel kFaintInk = 0xFF606060;

class Canvas {
  public:
    enum Style { kTitle, kLabel, kName };

    Canvas(int width, int height) : bitmap_(width, height, 1) {
        Fill({0, 0, width, height}, kPaper);
    }

    void Fill(const PixelRect& r, Pixel colour) {
        FillArea(&bitmap_, r.left, r.top, r.Width(), r.Height(), colour, 1.0f, CombineCopy);
    }
    void Set(int x, int y, Pixel colour) { bitmap_.Pixels()[y * bitmap_.RowPitch() + x] = colour; }
    void Frame(const PixelRect& r, Pixel colour) {
        Fill({r.left - 1, r.top - 1, r.right + 1, r.top}, colour);
        Fill({r.left - 1, r.bottom, r.right + 1, r.bottom + 1}, colour);
        Fill({r.left - 1, r.top, r.left, r.bottom}, colour);
        Fill({r.right, r.top, r.right + 1, r.bottom}, colour);
    }

    // Width (right) and height (bottom) of the text.
    PixelRect Measure(Style style, const std::string& text) {
        PixelRect size;
        FontOf(style).RenderText(nullptr, text.c_str(), -1, &size, TextSingleLine | TextCalcRect);
        return size;
    }
    // Text placed in box by the alignment flags; returns the box the text covers.
    PixelRect Text(Style style, const std::string& text, PixelRect box, uint32_t flags,
                   Pixel colour = kInk) {
        const PixelRect size = Measure(style, text);
        GlyphCacheFont& font = FontOf(style);
        font.SetForeground(colour);
        font.RenderText(&bitmap_, text.c_str(), -1, &box, flags | TextSingleLine | TextNoClip);
        const int x = (flags & TextCenter) != 0  ? (box.left + box.right - size.right) / 2
                      : (flags & TextRight) != 0 ? box.right - size.right
                                                 : box.left;
        const int y =
            (flags & TextVCenter) != 0 ? (box.top + box.bottom - size.bottom) / 2 : box.top;
        return {x, y, x + size.right, y + size.bottom};
    }
    // Text centred on x, its top at y.
    PixelRect TextBelow(const std::string& text, int x, int y) {
        return Text(kLabel, text, {x - 100, y, x + 100, y + 40}, TextCenter);
    }

    RgbImage ToRgb() const {
        RgbImage image{bitmap_.Width(), bitmap_.Height(), {}};
        image.rgb.resize(size_t(image.width) * size_t(image.height) * 3);
        uint8_t* out = image.rgb.data();
        for (int y = 0; y < image.height; ++y) {
            const Pixel* row = bitmap_.Pixels() + size_t(y) * size_t(bitmap_.RowPitch());
            for (int x = 0; x < image.width; ++x, out += 3) {
                out[0] = uint8_t(row[x] >> 16);
                out[1] = uint8_t(row[x] >> 8);
                out[2] = uint8_t(row[x]);
            }
        }
        return image;
    }

  private:
    // Glyphs from the platform (FreeType, or GDI on Windows) through the glyph cache,
    // never the platform's own text drawing: one look in both builds.
    struct Font {
        Font(int height, int weight) {
            FontRequest request;
            request.height = height;
            request.weight = weight;
            glyphs.AttachFont(CreateNativeFont(request), FontOwnsHandle);
        }
        GlyphCacheFont glyphs;
    };

    GlyphCacheFont& FontOf(Style style) {
        return (style == kTitle ? title_ : style == kName ? name_ : label_).glyphs;
    }

    MemoryBitmap bitmap_;
    Font title_{18, 700};
    Font label_{13, 400};
    Font name_{15, 700};
};

// Shortest decimal form of value; signed, it shows + before values above 0.
inline std::string Number(double value, bool sign = false) {
    char text[64];
    if (sign && value != 0)
        std::snprintf(text, sizeof text, "%+g", value);
    else
        std::snprintf(text, sizeof text, "%g", value);
    return text;
}

}  // namespace tav
