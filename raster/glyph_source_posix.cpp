#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H

#include <algorithm>
#include <new>

#include "raster/bitmap_rows.h"
#include "raster/fill_area.h"
#include "raster/glyph_source.h"
#include "raster/native_font_posix.h"

namespace tav {
namespace {

// Coverage of one bitmap pixel, whichever of FreeType's two formats it is in.
int Coverage(const FT_Bitmap& bitmap, const unsigned char* row, unsigned column) {
    if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO)
        return (row[column >> 3] & (0x80u >> (column & 7))) != 0 ? 255 : 0;
    return row[column];
}

class FreeTypeGlyphSource final : public GlyphSource {
  public:
    int32_t LineHeight(NativeFont font, RasterBitmap&) override {
        return font != nullptr ? static_cast<FreeTypeFont*>(font)->lineHeight : 0;
    }

    GlyphBox RenderGlyph(NativeFont handle, uint32_t code, int32_t pad,
                         RasterBitmap& canvas) override {
        if (handle == nullptr || !canvas.IsDrawable()) return {};
        const auto& font = *static_cast<FreeTypeFont*>(handle);
        FT_Face face = font.face;
        // Index 0 is the face's own missing-glyph box.
        const FT_UInt index = FT_Get_Char_Index(face, code);
        const FT_Int32 load = font.monochrome ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL;
        if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | load) != 0) return {};
        FT_GlyphSlot slot = face->glyph;
        if (font.embolden) FT_GlyphSlot_Embolden(slot);
        if (FT_Render_Glyph(slot, font.monochrome ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) !=
            0)
            return {};

        GlyphBox box;
        box.advance =
            std::min<int32_t>(static_cast<int32_t>((slot->advance.x + 32) >> 6), canvas.Width());
        box.height = std::min(font.lineHeight, canvas.Height());
        if (box.advance < 1 || box.height < 1) return box;
        const int32_t boxWidth = std::min(box.advance + 2 * pad, canvas.Width());
        FillArea(&canvas, 0, 0, boxWidth, box.height, 0xFF000000, 1.0f, CombineCopy);

        const FT_Bitmap& bitmap = slot->bitmap;
        const BitmapRows rows = BitmapRows::Of(canvas);
        const int32_t left = pad + slot->bitmap_left, top = font.ascent - slot->bitmap_top;
        const int stride = bitmap.pitch < 0 ? -bitmap.pitch : bitmap.pitch;
        for (unsigned r = 0; r < bitmap.rows; ++r) {
            const int64_t y = int64_t{top} + r;
            if (y < 0 || y >= box.height) continue;
            const unsigned stored = bitmap.pitch < 0 ? bitmap.rows - 1 - r : r;
            const unsigned char* source = bitmap.buffer + size_t{stored} * stride;
            Pixel* target = rows.Row(y);
            for (unsigned c = 0; c < bitmap.width; ++c) {
                const int64_t x = int64_t{left} + c;
                if (x < 0 || x >= boxWidth) continue;
                const Pixel v = static_cast<Pixel>(Coverage(bitmap, source, c));
                target[x] = 0xFF000000u | v << 16 | v << 8 | v;
            }
        }
        return box;
    }
};

}  // namespace

// Never destroyed (fonts may render during static teardown), and in static storage
// so that unloading the module leaves nothing on the heap.
GlyphSource& PlatformGlyphSource() {
    alignas(FreeTypeGlyphSource) static unsigned char storage[sizeof(FreeTypeGlyphSource)];
    static FreeTypeGlyphSource* source = new (storage) FreeTypeGlyphSource;
    return *source;
}

}  // namespace tav
