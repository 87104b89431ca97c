#include <windows.h>

#include <algorithm>

#include "raster/fill_area.h"
#include "raster/glyph_source.h"
#include "raster/selected_font_win32.h"

namespace tav {
namespace {

class GdiGlyphSource final : public GlyphSource {
  public:
    int32_t LineHeight(NativeFont font, RasterBitmap& canvas) override {
        auto dc = static_cast<HDC>(canvas.DeviceContext());
        if (font == nullptr || dc == nullptr) return 0;
        SelectedFont selected(dc, font);
        TEXTMETRICA metrics = {};
        return GetTextMetricsA(dc, &metrics) ? metrics.tmHeight : 0;
    }

    GlyphBox RenderGlyph(NativeFont font, uint32_t code, int32_t pad,
                         RasterBitmap& canvas) override {
        auto dc = static_cast<HDC>(canvas.DeviceContext());
        if (font == nullptr || dc == nullptr || !canvas.IsDrawable()) return {};
        SelectedFont selected(dc, font);
        SetTextColor(dc, RGB(255, 255, 255));
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, RGB(0, 0, 0));
        const wchar_t character = static_cast<wchar_t>(code & 0xFFFFu);
        RECT measured = {0, 0, 0, 0};
        DrawTextW(dc, &character, 1, &measured, DT_NOPREFIX | DT_CALCRECT | DT_SINGLELINE);
        GlyphBox box;
        box.advance = std::min<int32_t>(measured.right - measured.left, canvas.Width());
        box.height = std::min<int32_t>(measured.bottom - measured.top, canvas.Height());
        if (box.advance < 1 || box.height < 1) return box;
        const int32_t boxWidth = std::min(box.advance + 2 * pad, canvas.Width());
        GdiFlush();
        FillArea(&canvas, 0, 0, boxWidth, box.height, 0, 1.0f, CombineCopy);
        RECT place = {pad, 0, pad + box.advance, box.height};
        DrawTextW(dc, &character, 1, &place, DT_NOPREFIX | DT_NOCLIP | DT_SINGLELINE);
        GdiFlush();
        return box;
    }
};

}  // namespace

GlyphSource& PlatformGlyphSource() {
    static GdiGlyphSource* source = new GdiGlyphSource;
    return *source;
}

}  // namespace tav
