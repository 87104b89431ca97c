#include "raster/glyph_cache_font.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#include <utility>

#include "raster/bitmap_rows.h"
#include "raster/channel_math.h"
#include "raster/fill_area.h"
#include "raster/glyph_scratch.h"
#include "raster/glyph_text_utf8.h"
#include "raster/native_text.h"
#include "raster/pixel_combiner.h"

namespace tav {
namespace {

// Any of these keeps text in the cache even when the font prefers native drawing.
constexpr uint32_t kCacheOnlyFlags = FontPrerenderAscii | 0x1F3;
constexpr uint32_t kAlignFlags = TextCenter | TextRight | TextVCenter | TextBottom;
// Glyphs of taller fonts are not rendered: the render bitmap would pass 2054 x 2054.
constexpr int32_t kMaxGlyphLineHeight = 1023;
// Pen positions further out than this cannot reach any bitmap.
constexpr int64_t kFarAway = int64_t{1} << 40;

// Process-wide: -1 not probed yet, 0 no, 1 yes.
std::atomic<int> gWineAnswer{-1};

int32_t Saturate(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// Characters as layout sees them: CR dropped, LF a line break (a space on one line).
struct TextWalk {
    uint32_t flags;
    bool Next(Utf8Reader& reader, uint32_t* code, bool* newLine) const {
        for (;;) {
            if (!reader.Next(code)) return false;
            if (*code == 13) continue;
            *newLine = *code == 10 && (flags & TextSingleLine) == 0;
            if (*code == 10 && !*newLine) *code = 32;
            return true;
        }
    }
};

}  // namespace

GlyphCacheFont::GlyphCacheFont() : GlyphCacheFont(PlatformGlyphSource()) {}

GlyphCacheFont::GlyphCacheFont(GlyphSource& source) : source_(source) {
    glyph_scratch::AddFont();
}

GlyphCacheFont::~GlyphCacheFont() {
    if ((fontFlags_ & FontOwnsHandle) != 0 && handle_ != nullptr) DeleteNativeFont(handle_);
    glyph_scratch::RemoveFont();
}

void GlyphCacheFont::AttachFont(NativeFont handle, uint32_t flags) {
    ThreadLockGuard cache(cacheLock_);
    if ((fontFlags_ & FontOwnsHandle) != 0 && handle_ != nullptr && handle_ != handle)
        DeleteNativeFont(handle_);
    fontFlags_ = flags;
    handle_ = handle;
    lineHeight_ = 0;
    if (handle != nullptr) {
        ThreadLockGuard hold(glyph_scratch::Lock());
        if (RasterBitmap* canvas = glyph_scratch::RenderBitmap(256, 256))
            lineHeight_ = std::max(0, source_.LineHeight(handle, *canvas));
    }
    ClearCache();
    if ((flags & FontPrerenderAscii) != 0)
        for (uint32_t code = 0; code < 128; ++code) FindGlyph(code);
}

Pixel GlyphCacheFont::SetForeground(Pixel colour) {
    return std::exchange(foreground_, colour);
}

Pixel GlyphCacheFont::SetBackground(Pixel colour) {
    return std::exchange(background_, colour);
}

Pixel GlyphCacheFont::SetEffectTint(Pixel colour) {
    return std::exchange(effectTint_, colour);
}

int GlyphCacheFont::SetBackgroundMode(int mode) {
    return std::exchange(backgroundMode_, mode);
}

void GlyphCacheFont::SetBlend(CombineMode mode, float weight) {
    mode_ = mode;
    weight_ = weight;
}

bool GlyphCacheFont::UnderWine() {
    int answer = gWineAnswer.load(std::memory_order_relaxed);
    if (answer < 0) {
        answer = ProbeWine() ? 1 : 0;
        gWineAnswer.store(answer, std::memory_order_relaxed);
    }
    return answer == 1;
}

void GlyphCacheFont::SetWineAnswer(int answer) {
    gWineAnswer = answer < 0 ? -1 : (answer != 0 ? 1 : 0);
}

int GlyphCacheFont::InstanceCount() {
    return glyph_scratch::FontCount();
}

bool GlyphCacheFont::DrawsNatively(uint32_t flags) const {
    if (handle_ == nullptr || !NativeTextAvailable()) return false;
    // Masks of fonts this tall would not pay for themselves.
    if (lineHeight_ > 255) return true;
    return (fontFlags_ & FontPreferNative) != 0 && (fontFlags_ & kCacheOnlyFlags) == 0 &&
           (flags & TextUseColourAlpha) == 0 && (lineSpacing_ == 0 || (flags & TextSingleLine)) &&
           !UnderWine();
}

void GlyphCacheFont::ClearCache() {
    std::fill(std::begin(ascii_), std::end(ascii_), GlyphRecord{});
    extended_.clear();
    store_.Clear();
}

GlyphRecord GlyphCacheFont::Glyph(uint32_t code) {
    ThreadLockGuard cache(cacheLock_);
    return FindGlyph(code);
}

GlyphRecord& GlyphCacheFont::FindGlyph(uint32_t code) {
    GlyphRecord* record = nullptr;
    if (code < 128) {
        record = &ascii_[code];
    } else {
        auto at = std::lower_bound(extended_.begin(), extended_.end(), code,
                                   [](const GlyphRecord& r, uint32_t c) { return r.code < c; });
        if (at == extended_.end() || at->code != code) {
            GlyphRecord fresh;
            fresh.code = code;
            at = extended_.insert(at, fresh);
        }
        record = &*at;
    }
    if (record->maskOffset == 0) {
        record->code = code;
        RenderGlyph(*record);
    }
    return *record;
}

void GlyphCacheFont::RenderGlyph(GlyphRecord& record) {
    const uint32_t code = record.code;
    record = GlyphRecord{};
    record.code = code;
    record.maskOffset = -1;  // unless everything below works out
    if (handle_ == nullptr || lineHeight_ > kMaxGlyphLineHeight) return;

    ThreadLockGuard hold(glyph_scratch::Lock());
    const int32_t side = std::max(1, lineHeight_) * 2 + 8;
    RasterBitmap* canvas = glyph_scratch::RenderBitmap(side, side);
    if (canvas == nullptr) return;
    const int32_t pad = (lineHeight_ < 16 ? 0 : lineHeight_ / 16) + 2;
    const GlyphBox box = source_.RenderGlyph(handle_, code, pad, *canvas);
    // The source is trusted with drawing, not with staying inside the canvas.
    const int32_t advance = std::min(box.advance, canvas->Width());
    const int32_t height = std::min(box.height, canvas->Height());
    if (advance < 1 || height < 1) return;
    const int32_t boxWidth = std::min(advance + 2 * pad, canvas->Width());

    // White on black: the red channel is the coverage.
    const BitmapRows rows = BitmapRows::Of(*canvas);
    auto inked = [&](int32_t column) {
        for (int32_t y = 0; y < height; ++y)
            if (channel::Get(rows.Row(y)[column], 2) != 0) return true;
        return false;
    };
    int32_t left = std::min(pad, boxWidth);
    for (int32_t column = 0; column < std::min(pad, boxWidth); ++column)
        if (inked(column)) {
            left = column;
            break;
        }
    int32_t right = std::min(pad + advance, boxWidth);
    for (int32_t column = boxWidth - 1; column >= right; --column)
        if (inked(column)) {
            right = column + 1;
            break;
        }
    const int32_t width = right - left;
    const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height);
    uint8_t* mask = width > 0 ? store_.Reserve(bytes) : nullptr;
    if (mask == nullptr) return;
    for (int32_t y = 0; y < height; ++y) {
        const Pixel* row = rows.Row(y) + left;
        for (int32_t x = 0; x < width; ++x)
            mask[static_cast<size_t>(y) * width + x] =
                static_cast<uint8_t>(channel::Get(row[x], 2));
    }
    record.maskOffset = static_cast<int32_t>(store_.Size()) + 1;
    store_.Commit(bytes);
    record.maskWidth = width;
    record.maskHeight = height;
    record.advance = advance;
    record.overhang = pad - left;
}

int GlyphCacheFont::RenderText(RasterBitmap* bitmap, const char* text, int count, PixelRect* rect,
                               uint32_t flags) {
    if (text == nullptr) return 0;
    if (bitmap == nullptr && (flags & TextCalcRect) == 0) return 0;
    ThreadLockGuard cache(cacheLock_);
    PixelRect unused;
    PixelRect& box = rect != nullptr ? *rect : unused;

    if (DrawsNatively(flags)) {
        NativeTextStyle style;
        style.font = handle_;
        style.foreground = foreground_;
        style.background = background_;
        style.backgroundMode = backgroundMode_;
        style.weight = weight_;
        style.lineHeight = lineHeight_;
        return RenderNativeText(style, bitmap, text, count, &box, flags);
    }

    const size_t size = count < 0 ? std::strlen(text) : static_cast<size_t>(count);
    if ((flags & TextCalcRect) != 0) {
        const Extent extent = MeasureCached(text, size, flags);
        box.right = Saturate(int64_t{box.left} + extent.width);
        box.bottom = Saturate(int64_t{box.top} + extent.height);
        return Saturate(extent.height);
    }
    if (!bitmap->IsDrawable()) return 0;
    return DrawCached(*bitmap, text, size, box, flags);
}

GlyphCacheFont::Extent GlyphCacheFont::MeasureCached(const char* text, size_t size,
                                                     uint32_t flags) {
    Extent extent;
    int64_t x = 0, y = 0;
    Utf8Reader reader(text, size);
    const TextWalk walk{flags};
    uint32_t code = 0;
    bool newLine = false;
    while (walk.Next(reader, &code, &newLine)) {
        if (newLine) {
            x = 0;
            y += lineSpacing_ + lineHeight_;
            continue;
        }
        const GlyphRecord& glyph = FindGlyph(code);
        if (glyph.maskOffset <= 0) continue;
        extent.height = std::max(extent.height, y + glyph.maskHeight);
        extent.width =
            std::max({extent.width, x + glyph.advance, x + glyph.maskWidth - glyph.overhang});
        x += glyph.advance;
    }
    return extent;
}

int GlyphCacheFont::DrawCached(RasterBitmap& bitmap, const char* text, size_t size,
                               const PixelRect& rect, uint32_t flags) {
    float weight = weight_;
    if ((flags & TextUseColourAlpha) != 0)
        weight = static_cast<float>(weight * ((foreground_ >> 24) * (1.0 / 255.0)));
    if (weight == 0.0f) return 0;

    int64_t startX = rect.left, startY = rect.top;
    if ((flags & kAlignFlags) != 0) {
        // Measured from the same glyphs that will be drawn, so centring is exact.
        const Extent extent = MeasureCached(text, size, flags);
        const int64_t boxWidth = int64_t{rect.right} - rect.left;
        const int64_t boxHeight = int64_t{rect.bottom} - rect.top;
        if ((flags & TextCenter) != 0)
            startX = rect.left + (boxWidth - extent.width) / 2;
        else if ((flags & TextRight) != 0)
            startX = rect.right - extent.width;
        if ((flags & TextVCenter) != 0)
            startY = rect.top + (boxHeight - extent.height) / 2;
        else if ((flags & TextBottom) != 0)
            startY = rect.bottom - extent.height;
    }

    PixelRect clip{0, 0, bitmap.Width(), bitmap.Height()};
    if ((flags & TextNoClip) == 0) {
        clip.left = std::max(rect.left, 0);
        clip.top = std::max(rect.top, 0);
        clip.right = std::min(rect.right, bitmap.Width());
        clip.bottom = std::min(rect.bottom, bitmap.Height());
        if (clip.left >= clip.right || clip.top >= clip.bottom) return 0;
    }

    int64_t x = startX, y = startY, bottom = startY;
    Utf8Reader reader(text, size);
    const TextWalk walk{flags};
    uint32_t code = 0;
    bool newLine = false;
    while (walk.Next(reader, &code, &newLine)) {
        if (newLine) {
            x = startX;
            y += lineSpacing_ + lineHeight_;
            continue;
        }
        const GlyphRecord& glyph = FindGlyph(code);
        if (glyph.maskOffset <= 0) continue;
        if (BlendGlyph(bitmap, glyph, x, y, clip, weight))
            bottom = std::max(bottom, y + glyph.maskHeight);
        x += glyph.advance;
    }
    return Saturate(bottom - startY);
}

bool GlyphCacheFont::DrawGlyph(RasterBitmap* bitmap, uint32_t code, int x, int y,
                               const PixelRect& clip) {
    if (bitmap == nullptr || !bitmap->IsDrawable()) return false;
    const PixelRect inside{std::max(clip.left, 0), std::max(clip.top, 0),
                           std::min(clip.right, bitmap->Width()),
                           std::min(clip.bottom, bitmap->Height())};
    if (inside.left >= inside.right || inside.top >= inside.bottom) return false;
    ThreadLockGuard cache(cacheLock_);
    const GlyphRecord& glyph = FindGlyph(code);
    if (glyph.maskOffset <= 0) return false;
    return BlendGlyph(*bitmap, glyph, x, y, inside, weight_);
}

bool GlyphCacheFont::BlendGlyph(RasterBitmap& bitmap, const GlyphRecord& glyph, int64_t x,
                                int64_t y, const PixelRect& clip, float weight) {
    if (x < -kFarAway || x > kFarAway || y < -kFarAway || y > kFarAway) return false;
    const int64_t left = x - glyph.overhang, top = y;
    const int64_t right = left + glyph.maskWidth, bottom = top + glyph.maskHeight;
    if (left >= clip.right || top >= clip.bottom || right <= clip.left || bottom <= clip.top)
        return false;
    const int32_t x0 = static_cast<int32_t>(std::max<int64_t>(left, clip.left));
    const int32_t y0 = static_cast<int32_t>(std::max<int64_t>(top, clip.top));
    const int32_t x1 = static_cast<int32_t>(std::min<int64_t>(right, clip.right));
    const int32_t y1 = static_cast<int32_t>(std::min<int64_t>(bottom, clip.bottom));

    if (backgroundMode_ == 2)
        FillArea(&bitmap, x0, y0, x1 - x0, y1 - y0, background_, weight, mode_ & ~UseSourceAlpha);
    const int w = WeightToInt(weight);
    if (w <= 0) return true;

    const BitmapRows rows = BitmapRows::Of(bitmap);
    const uint8_t* mask = store_.Data() + (glyph.maskOffset - 1);
    const int r = channel::Get(foreground_, 2), g = channel::Get(foreground_, 1),
              b = channel::Get(foreground_, 0), a = channel::Get(foreground_, 3);
    const bool copy = (mode_ & kCombineOperationMask) == CombineCopy;
    for (int32_t py = y0; py < y1; ++py) {
        const uint8_t* coverage = mask + (py - top) * glyph.maskWidth + (x0 - left);
        Pixel* d = rows.Row(py) + x0;
        for (int32_t px = 0; px < x1 - x0; ++px) {
            const int v = coverage[px];
            if (v == 0) continue;
            const int k = std::min(256, w * v / 256);
            if (copy) {
                // Full weight keeps 255 - v of 256 parts; partial weight 256 - k.
                const int f = w == 256 ? 255 - v : 256 - k;
                const Pixel p = d[px];
                d[px] = channel::Pack(255 + (channel::Get(p, 3) - 255) * f / 256,
                                      r + (channel::Get(p, 2) - r) * f / 256,
                                      g + (channel::Get(p, 1) - g) * f / 256,
                                      b + (channel::Get(p, 0) - b) * f / 256);
            } else if (PixelCombiner rule = SelectCombiner(mode_ & kCombineRuleMask, k)) {
                rule(&d[px], r, g, b, a, k);
            }
        }
    }
    return true;
}

}  // namespace tav
