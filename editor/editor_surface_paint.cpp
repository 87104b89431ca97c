// The painting operations the controls draw with. Everything lands in the canvas,
// clipped to the area of the draw pass in progress, whatever rectangle a control
// passes in.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "editor/bitmap_view.h"
#include "editor/editor_caches.h"
#include "editor/editor_surface.h"
#include "editor/font_factory.h"
#include "raster/blit.h"
#include "raster/blit_rotated.h"
#include "raster/fill_area.h"
#include "raster/thread_lock.h"

namespace tav {
namespace {

bool HasArea(const PixelRect& r) {
    return r.right > r.left && r.bottom > r.top;
}

// Intersection that also treats inverted rectangles as empty.
PixelRect Clip(const PixelRect& a, const PixelRect& b) {
    if (!HasArea(a) || !HasArea(b)) return {};
    const PixelRect r = Intersection(a, b);
    return HasArea(r) ? r : PixelRect{};
}

bool Drawable(const BitmapRef& ref) {
    return !ref.IsEmpty() && ref.bitmap->IsDrawable();
}

// Far enough outside any canvas that nothing placed there can reach it, near enough
// that offsets computed from it stay well inside int32.
constexpr int64_t kCoordinateLimit = int64_t{1} << 24;

int32_t Limited(int64_t v) {
    return static_cast<int32_t>(std::clamp(v, -kCoordinateLimit, kCoordinateLimit));
}

// The part of the canvas the current pass may draw on.
PixelRect DrawableArea(const SystemBitmap* canvas, const PixelRect& paintArea) {
    if (canvas == nullptr || !canvas->IsDrawable()) return {};
    return Clip(paintArea, PixelRect{0, 0, canvas->Width(), canvas->Height()});
}

// The larger skins carry the number of their 1x image plus these.
int ResourceOffsetFor(int percent) {
    return percent == 150 ? 50 : percent == 200 ? 100 : 0;
}

}  // namespace

PixelRect EditorSurface::DeviceDrawableArea() const {
    return DrawableArea(canvas.get(), ToDevice(paintArea));
}

RasterBitmap* EditorSurface::ScaledBitmap(const BitmapRef& ref) {
    const int offset = ResourceOffsetFor(scalePercent_);
    if (ref.resource <= 0 || offset == 0) return nullptr;
    const int number = ref.resource + offset;
    if (RasterBitmap* found = FindCachedBitmap(number)) return found;
    std::unique_ptr<RasterBitmap> loaded(LoadBitmapResource(number, nullptr));
    if (!loaded || !loaded->IsDrawable()) return nullptr;
    return AddCachedBitmap(number, std::move(loaded));
}

// A skin image at the current scale: its larger version pixel for pixel when the
// module has one, else the 1x image stretched.
bool EditorSurface::BlitScaled(const BitmapRef& bitmap, const PixelRect& destRect, int srcX,
                               int srcY, const BlendSpec* blend) {
    const PixelRect dest = ToDevice(destRect);
    const PixelRect area = DeviceDrawableArea();
    const PixelRect clip = Clip(dest, area);
    if (!HasArea(clip)) return true;
    if (RasterBitmap* large = ScaledBitmap(bitmap)) {
        const int64_t fromX = int64_t{ToDevice(srcX)} + clip.left - dest.left;
        const int64_t fromY = int64_t{ToDevice(srcY)} + clip.top - dest.top;
        BlitBitmapRect(canvas.get(), large, clip.left, clip.top, Limited(fromX), Limited(fromY),
                       clip.Width(), clip.Height(), WeightFor(blend), CombineFor(blend));
        return true;
    }
    BitmapView view(*canvas, area);
    BlitRotated(&view, bitmap.bitmap, dest.left - area.left, dest.top - area.top, dest.Width(),
                dest.Height(), static_cast<float>(srcX), static_cast<float>(srcY),
                static_cast<float>(destRect.Width()), static_cast<float>(destRect.Height()), 0.0f,
                true, WeightFor(blend), CombineFor(blend) | FilterBilinear, 0.0f, 0.0f);
    return true;
}

bool EditorSurface::BlitOffset(const BitmapRef& bitmap, const PixelRect& destRect, int srcX,
                               int srcY, const BlendSpec* blend) {
    if (!Drawable(bitmap)) return true;
    if (scalePercent_ != 100) return BlitScaled(bitmap, destRect, srcX, srcY, blend);
    const PixelRect clip = Clip(destRect, DrawableArea(canvas.get(), paintArea));
    if (!HasArea(clip)) return true;
    const int64_t fromX = int64_t{srcX} + clip.left - destRect.left;
    const int64_t fromY = int64_t{srcY} + clip.top - destRect.top;
    BlitBitmapRect(canvas.get(), bitmap.bitmap, clip.left, clip.top, Limited(fromX), Limited(fromY),
                   clip.Width(), clip.Height(), WeightFor(blend), CombineFor(blend));
    return true;
}

bool EditorSurface::BlitFrame(const BitmapRef& bitmap, const PixelRect& destRect, int frame,
                              const BlendSpec* blend, bool vertical) {
    const int n = bitmap.frames;
    int srcX = 0, srcY = 0;
    if (n >= 2 && frame >= 2) {
        const double step = static_cast<double>(frame - 1) / n;
        if (vertical)
            srcY = Limited(static_cast<int64_t>(bitmap.height * step + 0.5));
        else
            srcX = Limited(static_cast<int64_t>(bitmap.width * step + 0.5));
    }
    return BlitOffset(bitmap, destRect, srcX, srcY, blend);
}

bool EditorSurface::BlitSpun(const BitmapRef& bitmap, int centreX, int centreY, float angle,
                             const BlendSpec* blend, float srcX, float srcY) {
    if (!Drawable(bitmap)) return true;
    if (scalePercent_ != 100)
        return BlitSpunScaled(bitmap, centreX, centreY, angle, blend, srcX, srcY);
    const PixelRect area = DrawableArea(canvas.get(), paintArea);
    if (!HasArea(area)) return true;
    const int w = bitmap.width, h = bitmap.height;
    const double left = static_cast<float>(centreX) - static_cast<float>(w / 2);
    const double top = static_cast<float>(centreY) - static_cast<float>(h / 2);
    // The turned image stays within its w x h square; skip it when that misses the area.
    if (left >= area.right || top >= area.bottom || left + w <= area.left || top + h <= area.top)
        return true;
    BitmapView view(*canvas, area);
    BlitRotated(&view, bitmap.bitmap, static_cast<int32_t>(left) - area.left,
                static_cast<int32_t>(top) - area.top, w, h, srcX, srcY, static_cast<float>(w),
                static_cast<float>(h), angle, false, WeightFor(blend),
                CombineFor(blend) | FilterBilinear, 0.0f, 0.0f);
    return true;
}

// The image turns about the scaled centre, which may fall between two pixels at
// 150 %: the square then starts on a whole pixel and the source moves by the rest.
bool EditorSurface::BlitSpunScaled(const BitmapRef& bitmap, int centreX, int centreY, float angle,
                                   const BlendSpec* blend, float srcX, float srcY) {
    const PixelRect area = DeviceDrawableArea();
    if (!HasArea(area)) return true;
    const double scale = scalePercent_ / 100.0;
    RasterBitmap* large = ScaledBitmap(bitmap);
    const RasterBitmap* source = large != nullptr ? large : bitmap.bitmap;
    const int w = ToDevice(bitmap.width), h = ToDevice(bitmap.height);
    const double left = centreX * scale - w * 0.5;
    const double top = centreY * scale - h * 0.5;
    if (left >= area.right || top >= area.bottom || left + w <= area.left || top + h <= area.top)
        return true;
    const double x0 = std::floor(left), y0 = std::floor(top);
    // Source pixels per device pixel.
    const double ratioX = static_cast<double>(source->Width()) / w;
    const double ratioY = static_cast<double>(source->Height()) / h;
    const double toSource = large != nullptr ? scale : 1.0;
    const float fromX = static_cast<float>(srcX * toSource - (left - x0) * ratioX);
    const float fromY = static_cast<float>(srcY * toSource - (top - y0) * ratioY);
    BitmapView view(*canvas, area);
    BlitRotated(&view, source, static_cast<int32_t>(x0) - area.left,
                static_cast<int32_t>(y0) - area.top, w, h, fromX, fromY,
                static_cast<float>(source->Width()), static_cast<float>(source->Height()), angle,
                false, WeightFor(blend), CombineFor(blend) | FilterBilinear, 0.0f, 0.0f);
    return true;
}

bool EditorSurface::PaintFill(const ArgbColor& color, const PixelRect& rect,
                              const BlendSpec* blend) {
    const PixelRect clip = Clip(ToDevice(rect), DeviceDrawableArea());
    if (!HasArea(clip)) return true;
    FillArea(canvas.get(), clip.left, clip.top, clip.Width(), clip.Height(), color.Packed(),
             WeightFor(blend), CombineFor(blend));
    return true;
}

// Each device pixel takes the share of it the ring covers, judged by the distance of
// its centre: edges stay smooth at every scale without a second pass.
bool EditorSurface::PaintRing(const ArgbColor& color, float centreX, float centreY, float inner,
                              float outer) {
    if (!(outer > 0.0f) || !(outer < 4096.0f) || !std::isfinite(centreX) ||
        !std::isfinite(centreY) || !std::isfinite(inner))
        return false;
    const float scale = static_cast<float>(scalePercent_) / 100.0f;
    const float cx = centreX * scale, cy = centreY * scale;
    const float out = outer * scale, in = inner * scale;
    const PixelRect box{static_cast<int32_t>(std::floor(cx - out - 1.0f)),
                        static_cast<int32_t>(std::floor(cy - out - 1.0f)),
                        static_cast<int32_t>(std::ceil(cx + out + 1.0f)),
                        static_cast<int32_t>(std::ceil(cy + out + 1.0f))};
    const PixelRect clip = Clip(box, DeviceDrawableArea());
    if (!HasArea(clip)) return true;
    const Pixel packed = color.Packed();
    for (int32_t y = clip.top; y < clip.bottom; ++y) {
        for (int32_t x = clip.left; x < clip.right; ++x) {
            const float d =
                std::hypot(static_cast<float>(x) + 0.5f - cx, static_cast<float>(y) + 0.5f - cy);
            float cover = std::clamp(out - d + 0.5f, 0.0f, 1.0f);
            if (in > 0.0f) cover *= std::clamp(d - in + 0.5f, 0.0f, 1.0f);
            if (cover > 0.0f)
                FillArea(canvas.get(), x, y, 1, 1, packed, cover, CombineCopy | UseSourceAlpha);
        }
    }
    return true;
}

bool EditorSurface::PaintText(TextStyle& style, const char* text, const PixelRect& rect) {
    if (text == nullptr || text[0] == '\0') return true;
    if (scalePercent_ != 100) {
        // The same style at the scaled size, a font of its own in the cache.
        TextStyle scaled = style;
        scaled.size = ToDevice(style.size);
        scaled.cachedFont = nullptr;
        return PaintDeviceText(scaled, text, ToDevice(rect));
    }
    return PaintDeviceText(style, text, rect);
}

bool EditorSurface::PaintDeviceText(TextStyle& style, const char* text, const PixelRect& rect) {
    RasterFont* font = style.cachedFont != nullptr ? style.cachedFont : FontFor(style);
    if (font == nullptr) return false;
    const PixelRect area = DeviceDrawableArea();
    // An inverted rectangle has no place to put text.
    if (!HasArea(area) || rect.right < rect.left || rect.bottom < rect.top) return true;
    uint32_t flags = TextNoClip;
    if ((style.color.a & 0xFF) != 255) flags |= TextUseColourAlpha;
    if (style.align == 1)
        flags |= TextCenter;
    else if (style.align != 0)
        flags |= TextRight;
    // Drawn into a view of the pass's area, so unclipped text cannot leave it.
    BitmapView view(*canvas, area);
    PixelRect placed{Limited(int64_t{rect.left} - area.left), Limited(int64_t{rect.top} - area.top),
                     Limited(int64_t{rect.right} - area.left),
                     Limited(int64_t{rect.bottom} - area.top)};
    ThreadLockGuard hold(CachedFontUseLock());
    font->SetForeground(style.color.Packed());
    font->RenderText(&view, text, -1, &placed, flags);
    return true;
}

RasterFont* EditorSurface::FontFor(TextStyle& style) {
    style.fontName[sizeof(style.fontName) - 1] = '\0';
    // One font made at a time in the process, so two editors never make the same one
    // twice nor call into the platform's font lookup at once.
    ThreadLockGuard hold(CachedFontUseLock());
    if (RasterFont* found = FindCachedFont(style)) {
        style.cachedFont = found;
        return found;
    }
    std::unique_ptr<RasterFont> made = MakeStyleFont(style);
    if (!made) return nullptr;
    RasterFont* stored = AddCachedFont(style, std::move(made));
    if (stored != nullptr) style.cachedFont = stored;
    return stored;
}

}  // namespace tav
