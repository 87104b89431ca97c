#include "editor/font_factory.h"

#include "raster/glyph_cache_font.h"

namespace tav {

FontRequest FontRequestFor(const TextStyle& style) {
    FontRequest request;
    request.faceName = style.fontName;
    request.height = style.size;
    request.weight = (style.style & 1) != 0 ? 700 : 400;
    request.italic = (style.style & 2) != 0;
    request.orientationTenths = style.orientation % 360 * 10;
    request.quality = style.quality;
    return request;
}

std::unique_ptr<RasterFont> MakeStyleFont(const TextStyle& style) {
    NativeFont handle = CreateNativeFont(FontRequestFor(style));
    if (handle == nullptr) return nullptr;
    auto font = std::make_unique<GlyphCacheFont>();
    font->AttachFont(handle, FontOwnsHandle | FontPreferNative);
    return font;
}

}  // namespace tav
