#include "raster/blend_ops.h"

#include <algorithm>

#include "raster/channel_math.h"

namespace tav {
namespace {

using channel::Get;
using channel::Pack;

inline int Mix(int d, int target, int w) {
    return d + (target - d) * w / 256;
}

inline int OverlayChannel(int d, int s) {
    return d < 128 ? 2 * s * d / 255 : 255 - 2 * (255 - s) * (255 - d) / 255;
}

// Hue as sector * 65536 + position within the sector; six sectors per turn. The
// position is rounded down going in and up coming back, which makes the round trip
// through hue exact, so a neutral adjustment leaves every pixel as it was.
constexpr int kSector = 65536;
constexpr int kHueTurn = 6 * kSector;

int RisingPosition(int mid, int mn, int delta) {
    return (mid - mn) * kSector / delta;
}
int FallingPosition(int mid, int mx, int delta) {
    return (mx - mid) * kSector / delta;
}
int Span(int delta, int position) {
    return (delta * position + kSector - 1) / kSector;
}

int HueOf(int r, int g, int b, int mx, int delta) {
    int hue = 0;
    if (mx == r) {
        hue = g >= b ? RisingPosition(g, b, delta) : 5 * kSector + FallingPosition(b, mx, delta);
    } else if (mx == g) {
        hue = r >= b ? kSector + FallingPosition(r, mx, delta)
                     : 2 * kSector + RisingPosition(b, r, delta);
    } else {
        hue = g >= r ? 3 * kSector + FallingPosition(g, mx, delta)
                     : 4 * kSector + RisingPosition(r, g, delta);
    }
    return hue % kHueTurn;
}

void FromHue(int hue, int mx, int delta, int* r, int* g, int* b) {
    const int mn = mx - delta;
    const int position = hue % kSector;
    const int rising = mn + Span(delta, position);
    const int falling = mx - Span(delta, position);
    switch (hue / kSector) {
        case 0:
            *r = mx, *g = rising, *b = mn;
            break;
        case 1:
            *r = falling, *g = mx, *b = mn;
            break;
        case 2:
            *r = mn, *g = mx, *b = rising;
            break;
        case 3:
            *r = mn, *g = falling, *b = mx;
            break;
        case 4:
            *r = rising, *g = mn, *b = mx;
            break;
        default:
            *r = mx, *g = mn, *b = falling;
            break;
    }
}

}  // namespace

void OverlayPixel(Pixel* dst, int r, int g, int b, int w) {
    const Pixel d = *dst;
    *dst = Pack(Get(d, 3), Mix(Get(d, 2), OverlayChannel(Get(d, 2), r), w),
                Mix(Get(d, 1), OverlayChannel(Get(d, 1), g), w),
                Mix(Get(d, 0), OverlayChannel(Get(d, 0), b), w));
}

void HsvAdjustPixel(Pixel* dst, int r, int g, int b, int w) {
    const Pixel d = *dst;
    const int dr = Get(d, 2), dg = Get(d, 1), db = Get(d, 0);
    const int mx = std::max({dr, dg, db});
    const int delta = mx - std::min({dr, dg, db});
    const int hue = delta == 0 ? 0 : HueOf(dr, dg, db, mx, delta);
    // Value scales the maximum with the saturation (delta / max) held; saturation then
    // scales the spread below the new maximum.
    const int newMax = std::min(255, mx * b / 128);
    const int keptDelta = mx == 0 ? 0 : delta * newMax / mx;
    const int newDelta = std::min(newMax, keptDelta * g / 128);
    int nr = newMax, ng = newMax, nb = newMax;
    if (newDelta > 0)
        FromHue((hue + r * (kHueTurn / 256)) % kHueTurn, newMax, newDelta, &nr, &ng, &nb);
    *dst = Pack(Get(d, 3), Mix(dr, nr, w), Mix(dg, ng, w), Mix(db, nb, w));
}

}  // namespace tav
