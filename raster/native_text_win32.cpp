#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>

#include "raster/blit.h"
#include "raster/glyph_scratch.h"
#include "raster/glyph_text_utf8.h"
#include "raster/native_text.h"
#include "raster/selected_font_win32.h"

namespace tav {
namespace {

constexpr UINT kAlignBits = DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM;
// The DrawText format bits; ours above them never reach GDI.
constexpr UINT kFormatBits = 0x000FFFFF;

COLORREF ColourRef(Pixel colour) {
    return RGB((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF);
}

// The caller's text for DrawText: as UTF-16 when it holds UTF-8, else the bytes.
class TextForGdi {
  public:
    TextForGdi(const char* text, int count) : text_(text), count_(count < 0 ? -1 : count) {
        const size_t size = count < 0 ? std::strlen(text) : static_cast<size_t>(count);
        if (!ContainsUtf8(text, size) || size > INT32_MAX) return;
        const int bytes = static_cast<int>(size);
        const int needed =
            MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, bytes, nullptr, 0);
        if (needed <= 0) return;
        wchar_t* buffer = local_;
        if (needed >= 1000) {
            heap_.reset(new (std::nothrow) wchar_t[static_cast<size_t>(needed) + 32]);
            buffer = heap_.get();
            if (buffer == nullptr) return;
        }
        const int made =
            MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, bytes, buffer, needed);
        if (made <= 0) return;
        buffer[made] = L'\0';
        wide_ = buffer;
    }

    int Draw(HDC dc, RECT* rect, UINT format) const {
        return wide_ != nullptr ? DrawTextW(dc, wide_, -1, rect, format)
                                : DrawTextA(dc, text_, count_, rect, format);
    }

  private:
    const char* text_;
    int count_;
    const wchar_t* wide_ = nullptr;
    wchar_t local_[1024];
    std::unique_ptr<wchar_t[]> heap_;
};

void SetColours(HDC dc, const NativeTextStyle& style) {
    SetTextColor(dc, ColourRef(style.foreground));
    SetBkMode(dc, style.backgroundMode);
    if (style.backgroundMode == 2) SetBkColor(dc, ColourRef(style.background));
}

int64_t Place(uint32_t flags, uint32_t after, uint32_t middle, int32_t low, int32_t high,
              int32_t size) {
    if ((flags & after) != 0) return int64_t{high} - size;
    if ((flags & middle) != 0) return (int64_t{low} + high - size) / 2;
    return low;
}

// GDI coordinates for a position that may lie far outside any bitmap.
LONG GdiCoordinate(int64_t v) {
    return static_cast<LONG>(std::clamp<int64_t>(v, -(int64_t{1} << 30), int64_t{1} << 30));
}

// A bitmap without a device context: the text goes through the compose bitmap.
int ComposeText(const NativeTextStyle& style, const TextForGdi& text, RasterBitmap* bitmap,
                PixelRect* rect, uint32_t flags) {
    std::lock_guard<std::mutex> hold(glyph_scratch::Lock());
    RasterBitmap* compose = glyph_scratch::ComposeBitmap(4, 4);
    if (compose == nullptr || compose->DeviceContext() == nullptr) return 0;
    auto dc = static_cast<HDC>(compose->DeviceContext());
    SelectedFont selected(dc, style.font);
    RECT measured = {0, 0, 0, 0};
    text.Draw(dc, &measured, ((flags & kFormatBits) & ~0xFu) | DT_CALCRECT | DT_NOPREFIX);
    const int32_t width = measured.right - measured.left, height = measured.bottom - measured.top;
    if ((flags & DT_CALCRECT) != 0) {
        rect->right =
            static_cast<int32_t>(std::min<int64_t>(int64_t{rect->left} + width, INT32_MAX));
        rect->bottom =
            static_cast<int32_t>(std::min<int64_t>(int64_t{rect->top} + height, INT32_MAX));
        return height;
    }
    if (bitmap == nullptr || !bitmap->IsDrawable()) return 0;

    const int64_t textX = Place(flags, DT_RIGHT, DT_CENTER, rect->left, rect->right, width);
    const int64_t textY = Place(flags, DT_BOTTOM, DT_VCENTER, rect->top, rect->bottom, height);
    auto within = [](int64_t v, int32_t size) {
        return static_cast<int32_t>(std::clamp<int64_t>(v, 0, size));
    };
    PixelRect box{within(textX, bitmap->Width()), within(textY, bitmap->Height()),
                  within(textX + width, bitmap->Width()), within(textY + height, bitmap->Height())};
    if ((flags & DT_NOCLIP) == 0) {
        box.left = std::max(box.left, rect->left);
        box.top = std::max(box.top, rect->top);
        box.right = std::min(box.right, rect->right);
        box.bottom = std::min(box.bottom, rect->bottom);
    }
    // Room for ink left of the first character's cell.
    box.left -= std::min(box.left, style.lineHeight < 16 ? 2 : style.lineHeight / 16 + 2);
    if (box.left >= box.right || box.top >= box.bottom) return 0;
    compose = glyph_scratch::ComposeBitmap(box.Width(), box.Height());
    if (compose == nullptr) return 0;
    BlitBitmap(compose, bitmap, 0, 0, &box, 1.0f, CombineCopy);
    SetColours(dc, style);
    RECT place = {GdiCoordinate(textX - box.left), GdiCoordinate(textY - box.top),
                  GdiCoordinate(textX - box.left + width), GdiCoordinate(textY - box.top + height)};
    const int result = text.Draw(dc, &place, ((flags & kFormatBits) & ~kAlignBits) | DT_NOPREFIX);
    GdiFlush();
    const PixelRect drawn{0, 0, box.Width(), box.Height()};
    BlitBitmap(bitmap, compose, box.left, box.top, &drawn, style.weight, CombineCopy);
    return result;
}

}  // namespace

bool NativeTextAvailable() {
    return true;
}

int RenderNativeText(const NativeTextStyle& style, RasterBitmap* bitmap, const char* text,
                     int count, PixelRect* rect, uint32_t flags) {
    const TextForGdi gdiText(text, count);
    auto dc = bitmap != nullptr ? static_cast<HDC>(bitmap->DeviceContext()) : nullptr;
    if (dc == nullptr) return ComposeText(style, gdiText, bitmap, rect, flags);

    SelectedFont selected(dc, style.font);
    SetColours(dc, style);
    RECT box = {rect->left, rect->top, rect->right, rect->bottom};
    const int result = gdiText.Draw(dc, &box, (flags & kFormatBits) | DT_NOPREFIX);
    GdiFlush();
    if ((flags & DT_CALCRECT) != 0) *rect = {box.left, box.top, box.right, box.bottom};
    return result;
}

bool ProbeWine() {
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\Wine", &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

}  // namespace tav
