#pragma once

#include <cstdint>

#include "raster/raster_bitmap.h"
#include "raster/raster_font.h"

namespace tav {

// What one character occupies: the pen advance and the box height, in pixels.
struct GlyphBox {
    int32_t advance = 0;
    int32_t height = 0;
};

// Where glyph pixels come from: GDI on Windows, FreeType elsewhere. The glyph cache
// knows nothing else about the platform.
class GlyphSource {
  public:
    GlyphSource() = default;
    GlyphSource(const GlyphSource&) = delete;
    GlyphSource& operator=(const GlyphSource&) = delete;
    virtual ~GlyphSource() = default;

    // The font's cell height (ascent + descent) in pixels; 0 when unknown. canvas is a
    // scratch bitmap of at least 256 x 256 the source may draw into.
    virtual int32_t LineHeight(NativeFont font, RasterBitmap& canvas) = 0;

    // Draws character code white on black into canvas: the box (0, 0) to
    // (advance + 2 * pad, height) is cleared to black and the character is drawn with
    // its pen at x = pad. Returns the advance and height, cut to the canvas; a zero
    // advance or height means nothing to draw.
    virtual GlyphBox RenderGlyph(NativeFont font, uint32_t code, int32_t pad,
                                 RasterBitmap& canvas) = 0;
};

// This platform's source; lives for the whole process.
GlyphSource& PlatformGlyphSource();

}  // namespace tav
