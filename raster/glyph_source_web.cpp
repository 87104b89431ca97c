#include <algorithm>
#include <new>

#include "raster/baked_face.h"
#include "raster/bitmap_rows.h"
#include "raster/fill_area.h"
#include "raster/glyph_source.h"

namespace tav {
namespace {

const BakedGlyph* FindBakedGlyph(const BakedFont& font, uint32_t code) {
    const BakedGlyph* end = font.glyphs + font.glyphCount;
    const BakedGlyph* at = std::lower_bound(
        font.glyphs, end, code, [](const BakedGlyph& g, uint32_t c) { return g.code < c; });
    return at != end && at->code == code ? at : font.missing;
}

// Draws the coverage FreeType gave natively, byte for byte, so the glyph cache takes
// the same masks as on Linux.
class BakedGlyphSource final : public GlyphSource {
  public:
    int32_t LineHeight(NativeFont font, RasterBitmap&) override {
        return font != nullptr ? static_cast<const BakedFont*>(font)->lineHeight : 0;
    }

    GlyphBox RenderGlyph(NativeFont handle, uint32_t code, int32_t pad,
                         RasterBitmap& canvas) override {
        if (handle == nullptr || !canvas.IsDrawable()) return {};
        const auto& font = *static_cast<const BakedFont*>(handle);
        const BakedGlyph* glyph = FindBakedGlyph(font, code);
        if (glyph == nullptr || glyph->boxWidth < 0 || font.lineHeight < 0) return {};
        const BakedFace& baked = TheBakedFace();
        const size_t bytes = static_cast<size_t>(glyph->boxWidth) * font.lineHeight;
        if (glyph->offset > baked.coverageSize || bytes > baked.coverageSize - glyph->offset)
            return {};

        GlyphBox box;
        box.advance = std::min(glyph->advance, canvas.Width());
        box.height = std::min(font.lineHeight, canvas.Height());
        if (box.advance < 1 || box.height < 1) return box;
        const int32_t boxWidth = std::min(box.advance + 2 * pad, canvas.Width());
        FillArea(&canvas, 0, 0, boxWidth, box.height, 0xFF000000, 1.0f, CombineCopy);

        // Baked with the cache's pad for this height; another pad only moves the pen.
        const int64_t shift = int64_t{pad} - font.pad;
        const unsigned char* coverage = baked.coverage + glyph->offset;
        const BitmapRows rows = BitmapRows::Of(canvas);
        for (int32_t y = 0; y < box.height; ++y) {
            Pixel* target = rows.Row(y);
            const unsigned char* source = coverage + static_cast<size_t>(y) * glyph->boxWidth;
            for (int32_t c = 0; c < glyph->boxWidth; ++c) {
                const int64_t x = c + shift;
                if (x < 0 || x >= boxWidth || source[c] == 0) continue;
                const Pixel v = source[c];
                target[x] = 0xFF000000u | v << 16 | v << 8 | v;
            }
        }
        return box;
    }
};

}  // namespace

// Never destroyed, in static storage, as on the other platforms.
GlyphSource& PlatformGlyphSource() {
    alignas(BakedGlyphSource) static unsigned char storage[sizeof(BakedGlyphSource)];
    static BakedGlyphSource* source = new (storage) BakedGlyphSource;
    return *source;
}

}  // namespace tav
