#include "raster/blit_rotated.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "raster/bitmap_rows.h"
#include "raster/channel_math.h"
#include "raster/pixel_combiner.h"
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

// Two channels in one 64-bit word, 32 bits apart, so one multiply weights both
// without the lanes touching (255 * 0x10000 < 2^24).
inline uint64_t LowLanes(Pixel p) {
    return (p & 0xFFu) | (uint64_t{p & 0xFF0000u} << 16);
}
inline uint64_t HighLanes(Pixel p) {
    return ((p >> 8) & 0xFFu) | (uint64_t{p >> 24} << 32);
}

struct Sample {
    uint64_t low;   // B, R weighted sums
    uint64_t high;  // G, A weighted sums
};

inline void Accumulate(Sample* s, Pixel p, uint32_t weight) {
    s->low += LowLanes(p) * weight;
    s->high += HighLanes(p) * weight;
}

// Bilinear sample at (u, v) of the window; false if the position lies outside it.
inline bool SampleBilinear(const Window& win, Fixed2 pos, int* r, int* g, int* b, int* a) {
    const auto i = static_cast<uint32_t>(static_cast<int32_t>(pos.u) >> 16);
    const auto j = static_cast<uint32_t>(static_cast<int32_t>(pos.v) >> 16);
    if (i >= win.width || j >= win.height) return false;
    const uint32_t fx = pos.u & 0xFFFFu;
    const uint32_t fy = pos.v & 0xFFFFu;
    const Pixel* p = win.At(i, j);
    const bool inColumn = i + 1 < win.width;
    const bool inRow = j + 1 < win.height;
    Sample s{0, 0};
    if (inColumn && inRow) {
        const uint32_t fxy = (fx * fy) >> 16;
        Accumulate(&s, p[0], 0x10000u - fx - fy + fxy);
        Accumulate(&s, p[1], fx - fxy);
        Accumulate(&s, p[win.step], fy - fxy);
        Accumulate(&s, p[win.step + 1], fxy);
    } else if (inRow) {
        Accumulate(&s, p[0], 0x10000u - fy);
        Accumulate(&s, p[win.step], fy);
    } else if (inColumn) {
        Accumulate(&s, p[0], 0x10000u - fx);
        Accumulate(&s, p[1], fx);
    } else {
        Accumulate(&s, p[0], 0x10000u);
    }
    *b = static_cast<int>((s.low >> 16) & 0xFF);
    *r = static_cast<int>((s.low >> 48) & 0xFF);
    *g = static_cast<int>((s.high >> 16) & 0xFF);
    *a = static_cast<int>((s.high >> 48) & 0xFF);
    return true;
}

inline bool SampleNearest(const Window& win, Fixed2 pos, int* r, int* g, int* b, int* a) {
    const auto i = static_cast<uint32_t>(static_cast<int32_t>(pos.u) >> 16);
    const auto j = static_cast<uint32_t>(static_cast<int32_t>(pos.v) >> 16);
    if (i >= win.width || j >= win.height) return false;
    const Pixel p = *win.At(i, j);
    *r = channel::Get(p, 2);
    *g = channel::Get(p, 1);
    *b = channel::Get(p, 0);
    *a = channel::Get(p, 3);
    return true;
}

struct Walk {
    Fixed2 start;
    Fixed2 alongX;
    Fixed2 alongY;
};

template <bool Bilinear>
void DrawRows(const BitmapRows& dst, int32_t x, int32_t y, int32_t width, int32_t height,
              const Window& win, const Walk& walk, PixelCombiner combine, int w) {
    Fixed2 rowStart = walk.start;
    for (int32_t row = 0; row < height; ++row) {
        Pixel* d = dst.Row(y + row) + x;
        Fixed2 pos = rowStart;
        for (int32_t col = 0; col < width; ++col) {
            int r, g, b, a;
            const bool inside = Bilinear ? SampleBilinear(win, pos, &r, &g, &b, &a)
                                         : SampleNearest(win, pos, &r, &g, &b, &a);
            if (inside) combine(d + col, r, g, b, a, w);
            pos.u += walk.alongX.u;
            pos.v += walk.alongX.v;
        }
        rowStart.u += walk.alongY.u;
        rowStart.v += walk.alongY.v;
    }
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
    const auto px = static_cast<int32_t>(dx), py = static_cast<int32_t>(dy);
    const auto pw = static_cast<int32_t>(dw), ph = static_cast<int32_t>(dh);
    if ((mode & 0xFF00u) == FilterBilinear)
        DrawRows<true>(dst, px, py, pw, ph, win, walk, combine, w);
    else
        DrawRows<false>(dst, px, py, pw, ph, win, walk, combine, w);
}

}  // namespace tav
