#include "raster/blit_rotated.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "raster/bilinear_taps.h"
#include "raster/bitmap_rows.h"
#include "raster/channel_math.h"
#include "raster/linear_span.h"
#include "raster/pixel_combiner.h"
#include "raster/pixel_rules.h"
#include "raster/stable_trig.h"

namespace tav {
namespace {

// (int)(value * 65536), held inside the int32 range instead of overflowing.
int32_t ToFixed(float value) {
    const double scaled = static_cast<double>(value) * 65536.0;
    if (!(scaled > -2147483648.0)) return INT32_MIN;
    if (scaled >= 2147483647.0) return INT32_MAX;
    return static_cast<int32_t>(scaled);
}

int32_t ToInt(float value) {
    if (!(value > -2147483648.0f)) return INT32_MIN;
    if (value >= 2147483647.0f) return INT32_MAX;
    return static_cast<int32_t>(value);
}

// The sampled part of the source: origin at its top-left corner.
struct Window {
    const Pixel* origin;
    ptrdiff_t step;
    uint32_t width;
    uint32_t height;
    const Pixel* At(uint32_t i, uint32_t j) const {
        return origin + static_cast<ptrdiff_t>(j) * step + i;
    }
};

// A 16.16 position; wraps instead of overflowing on absurd steps.
struct Fixed2 {
    uint32_t u;
    uint32_t v;
};

// Alpha first: with SkipClear a transparent sample is not handed on.
template <bool SkipClear>
[[gnu::always_inline]] inline bool Blend(const Taps& t, int* r, int* g, int* b, int* a) {
    const Pixel p = BlendTaps(t);
    *a = channel::Get(p, 3);
    if (SkipClear && *a == 0) return false;
    *r = channel::Get(p, 2);
    *g = channel::Get(p, 1);
    *b = channel::Get(p, 0);
    return true;
}

inline uint32_t Column(Fixed2 pos) {
    return static_cast<uint32_t>(static_cast<int32_t>(pos.u) >> 16);
}
inline uint32_t Row(Fixed2 pos) {
    return static_cast<uint32_t>(static_cast<int32_t>(pos.v) >> 16);
}

// Bilinear sample at (u, v) of the window, including its last column and row;
// false if the position lies outside (or the sample is clear, with SkipClear).
template <bool SkipClear>
[[gnu::always_inline]] inline bool SampleBilinear(const Window& win, Fixed2 pos, int* r, int* g,
                                                  int* b, int* a) {
    const uint32_t i = Column(pos), j = Row(pos);
    if (i >= win.width || j >= win.height) return false;
    const uint32_t fx = pos.u & 0xFFFFu;
    const uint32_t fy = pos.v & 0xFFFFu;
    const Pixel* p = win.At(i, j);
    const bool inColumn = i + 1 < win.width;
    const bool inRow = j + 1 < win.height;
    // Missing neighbours get weight 0 (and repeat the pixel itself), so every case
    // is the same four-tap sum.
    Taps t{p[0], p[0], p[0], p[0], 0x10000u, 0, 0, 0};
    if (inColumn && inRow) {
        const uint32_t fxy = (fx * fy) >> 16;
        t = {p[0],     p[1],     p[win.step], p[win.step + 1], 0x10000u - fx - fy + fxy,
             fx - fxy, fy - fxy, fxy};
    } else if (inRow) {
        t.p01 = p[win.step];
        t.w00 = 0x10000u - fy;
        t.w01 = fy;
    } else if (inColumn) {
        t.p10 = p[1];
        t.w00 = 0x10000u - fx;
        t.w10 = fx;
    }
    return Blend<SkipClear>(t, r, g, b, a);
}

// The same inside the last column and row, where all four taps exist.
template <bool SkipClear>
[[gnu::always_inline]] inline bool SampleInterior(const Window& win, Fixed2 pos, int* r, int* g,
                                                  int* b, int* a) {
    const uint32_t fx = pos.u & 0xFFFFu;
    const uint32_t fy = pos.v & 0xFFFFu;
    const uint32_t fxy = (fx * fy) >> 16;
    const Pixel* p = win.At(Column(pos), Row(pos));
    const Taps t{p[0],     p[1],     p[win.step], p[win.step + 1], 0x10000u - fx - fy + fxy,
                 fx - fxy, fy - fxy, fxy};
    return Blend<SkipClear>(t, r, g, b, a);
}

template <bool SkipClear>
[[gnu::always_inline]] inline bool SampleNearest(const Window& win, Fixed2 pos, int* r, int* g,
                                                 int* b, int* a) {
    const uint32_t i = Column(pos), j = Row(pos);
    if (i >= win.width || j >= win.height) return false;
    const Pixel p = *win.At(i, j);
    *a = channel::Get(p, 3);
    if (SkipClear && *a == 0) return false;
    *r = channel::Get(p, 2);
    *g = channel::Get(p, 1);
    *b = channel::Get(p, 0);
    return true;
}

struct Walk {
    Fixed2 start;
    Fixed2 alongX;
    Fixed2 alongY;
};

struct Target {
    BitmapRows rows;
    int32_t x, y, width, height;
};

enum class Sampler { Nearest, Bilinear, Interior };

template <Sampler Kind, bool SkipClear, typename Combine>
[[gnu::always_inline]] inline void DrawSpan(Pixel* d, const Window& win, Fixed2 pos, Fixed2 step,
                                            Span span, Combine combine, int w) {
    pos.u += step.u * static_cast<uint32_t>(span.first);
    pos.v += step.v * static_cast<uint32_t>(span.first);
    for (int32_t col = span.first; col < span.last; ++col) {
        int r, g, b, a;
        bool draw;
        if constexpr (Kind == Sampler::Nearest)
            draw = SampleNearest<SkipClear>(win, pos, &r, &g, &b, &a);
        else if constexpr (Kind == Sampler::Bilinear)
            draw = SampleBilinear<SkipClear>(win, pos, &r, &g, &b, &a);
        else
            draw = SampleInterior<SkipClear>(win, pos, &r, &g, &b, &a);
        if (draw) combine(d + col, r, g, b, a, w);
        pos.u += step.u;
        pos.v += step.v;
    }
}

// Where a row's positions cannot wrap, the columns that land in the window are found
// up front, and (for bilinear) the inner ones whose four taps all exist; only the
// edge columns then need the checked sampler. Rows that could wrap are checked per
// pixel. Both give the pixels the per-pixel walk would.
template <bool Bilinear, bool SkipClear, typename Combine>
void DrawRows(const Target& dst, const Window& win, const Walk& walk, Combine combine, int w) {
    constexpr Sampler kChecked = Bilinear ? Sampler::Bilinear : Sampler::Nearest;
    const int64_t du = static_cast<int32_t>(walk.alongX.u);
    const int64_t dv = static_cast<int32_t>(walk.alongX.v);
    const int64_t reach = int64_t{dst.width} - 1;
    const int64_t width16 = int64_t{win.width} << 16, height16 = int64_t{win.height} << 16;
    Fixed2 rowStart = walk.start;
    for (int32_t row = 0; row < dst.height; ++row) {
        Pixel* d = dst.rows.Row(dst.y + row) + dst.x;
        const int64_t u0 = static_cast<int32_t>(rowStart.u), v0 = static_cast<int32_t>(rowStart.v);
        const bool exact = u0 + reach * du == static_cast<int32_t>(u0 + reach * du) &&
                           v0 + reach * dv == static_cast<int32_t>(v0 + reach * dv);
        if (!exact) {
            DrawSpan<kChecked, SkipClear>(d, win, rowStart, walk.alongX, {0, dst.width}, combine,
                                          w);
        } else {
            const Span inside = Intersect(LinearSpan(u0, du, 0, width16, dst.width),
                                          LinearSpan(v0, dv, 0, height16, dst.width));
            Span inner = inside;
            if (Bilinear)
                inner = Intersect(inside,
                                  Intersect(LinearSpan(u0, du, 0, width16 - 0x10000, dst.width),
                                            LinearSpan(v0, dv, 0, height16 - 0x10000, dst.width)));
            if (inner.Empty()) inner = {inside.last, inside.last};
            constexpr Sampler kInner = Bilinear ? Sampler::Interior : Sampler::Nearest;
            DrawSpan<kChecked, SkipClear>(d, win, rowStart, walk.alongX,
                                          {inside.first, inner.first}, combine, w);
            DrawSpan<kInner, SkipClear>(d, win, rowStart, walk.alongX, inner, combine, w);
            DrawSpan<kChecked, SkipClear>(d, win, rowStart, walk.alongX, {inner.last, inside.last},
                                          combine, w);
        }
        rowStart.u += walk.alongY.u;
        rowStart.v += walk.alongY.v;
    }
}

template <PixelCombiner Rule>
struct Inlined {
    void operator()(Pixel* d, int r, int g, int b, int a, int w) const { Rule(d, r, g, b, a, w); }
};

// The rules the editor draws knobs with get loops of their own; the rest share one
// loop that calls the selected rule through its pointer. Either way the same rule
// code runs, so the pixels are the same.
template <bool Bilinear>
void Draw(const Target& dst, const Window& win, const Walk& walk, CombineMode rule,
          PixelCombiner combine, int w) {
    if (rule == (CombineCopy | UseSourceAlpha) && w == 256)
        DrawRows<Bilinear, true>(dst, win, walk, Inlined<rules::CopyAlphaFull>(), w);
    else if (rule == (CombineCopy | UseSourceAlpha))
        DrawRows<Bilinear, true>(dst, win, walk, Inlined<rules::CopyAlphaPartial>(), w);
    else if (rule == (CombineAdd | UseSourceAlpha))
        DrawRows<Bilinear, true>(dst, win, walk, Inlined<rules::AddAlpha>(), w);
    else if (rule == CombineCopy && w == 256)
        DrawRows<Bilinear, false>(dst, win, walk, Inlined<rules::CopyFull>(), w);
    else if (rules::SkipsClearSource(rule))
        DrawRows<Bilinear, true>(dst, win, walk, combine, w);
    else
        DrawRows<Bilinear, false>(dst, win, walk, combine, w);
}

}  // namespace

void BlitRotated(RasterBitmap* destination, const RasterBitmap* source, int32_t x, int32_t y,
                 int32_t width, int32_t height, float sourceX, float sourceY, float sourceWidth,
                 float sourceHeight, float angle, bool clipToSource, float weight, CombineMode mode,
                 float centreX, float centreY) {
    if (destination == nullptr || source == nullptr || width == 0 || height == 0) return;
    for (float f : {sourceX, sourceY, sourceWidth, sourceHeight, angle, weight, centreX, centreY})
        if (!std::isfinite(f)) return;

    float left = 0.0f, top = 0.0f;
    float right = static_cast<float>(source->Width());
    float bottom = static_cast<float>(source->Height());
    if (clipToSource) {
        if (sourceX > 0.0f) left = sourceX;
        if (sourceY > 0.0f) top = sourceY;
        right = std::min(right, sourceX + sourceWidth);
        bottom = std::min(bottom, sourceY + sourceHeight);
    }

    // Mirroring: the source rectangle is walked backwards. It starts one destination
    // pixel's worth in from its far edge so that the mirror holds every source column
    // (row) exactly once instead of dropping the first and reading one past the last.
    int64_t dx = x, dy = y, dw = width, dh = height;
    if (dw < 0) {
        dw = -dw;
        dx -= dw;
        sourceX += sourceWidth - sourceWidth / static_cast<float>(dw);
        sourceWidth = -sourceWidth;
    }
    if (dh < 0) {
        dh = -dh;
        dy -= dh;
        sourceY += sourceHeight - sourceHeight / static_cast<float>(dh);
        sourceHeight = -sourceHeight;
    }

    const float xs = sourceWidth / static_cast<float>(dw);
    const float ys = sourceHeight / static_cast<float>(dh);
    float s = 0.0f, c = 0.0f;
    StableSinCos(angle, &s, &c);
    const float fdw = static_cast<float>(dw), fdh = static_cast<float>(dh);
    const float uAlongX = xs * c, uAlongY = xs * s;
    const float vAlongX = -ys * s, vAlongY = ys * c;
    float ustart = sourceX - ((fdh * xs * s + fdw * xs * c) - sourceWidth) / 2 + centreX;
    float vstart = sourceY - ((fdw * (-ys * s) + fdh * ys * c) - sourceHeight) / 2 + centreY;

    if (dx < 0) {
        const float steps = static_cast<float>(-dx);
        dw += dx;
        ustart += steps * uAlongX;
        vstart += steps * vAlongX;
        dx = 0;
    }
    if (dy < 0) {
        const float steps = static_cast<float>(-dy);
        dh += dy;
        ustart += steps * uAlongY;
        vstart += steps * vAlongY;
        dy = 0;
    }
    if (!(dw > 0 && dh > 0 && dx < destination->Width() && dy < destination->Height())) return;
    dw = std::min<int64_t>(dw, destination->Width() - dx);
    dh = std::min<int64_t>(dh, destination->Height() - dy);

    const BitmapRows dst = BitmapRows::Of(*destination);
    const BitmapRows src = BitmapRows::Of(*source);
    if (dst.first == nullptr || src.first == nullptr) return;

    const int32_t windowLeft = ToInt(left), windowTop = ToInt(top);
    const int64_t windowWidth = int64_t{ToInt(right)} - windowLeft;
    const int64_t windowHeight = int64_t{ToInt(bottom)} - windowTop;
    if (windowWidth <= 0 || windowHeight <= 0) return;
    ustart -= static_cast<float>(windowLeft);
    vstart -= static_cast<float>(windowTop);

    const int w = WeightToInt(weight);
    if (w == 0) return;
    const PixelCombiner combine = SelectCombiner(mode & kCombineRuleMask, w);
    if (combine == nullptr) return;

    const Window win{src.Row(windowTop) + windowLeft, src.step, static_cast<uint32_t>(windowWidth),
                     static_cast<uint32_t>(windowHeight)};
    auto fixed = [](float value) { return static_cast<uint32_t>(ToFixed(value)); };
    const Walk walk{{fixed(ustart), fixed(vstart)},
                    {fixed(uAlongX), fixed(vAlongX)},
                    {fixed(uAlongY), fixed(vAlongY)}};
    const Target target{dst, static_cast<int32_t>(dx), static_cast<int32_t>(dy),
                        static_cast<int32_t>(dw), static_cast<int32_t>(dh)};
    const CombineMode rule = mode & kCombineRuleMask;
    if ((mode & 0xFF00u) == FilterBilinear)
        Draw<true>(target, win, walk, rule, combine, w);
    else
        Draw<false>(target, win, walk, rule, combine, w);
}

}  // namespace tav
