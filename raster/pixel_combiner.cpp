#include "raster/pixel_combiner.h"

#include "raster/blend_ops.h"
#include "raster/channel_math.h"

namespace tav {
namespace {

using channel::AlphaWeight;
using channel::Clamp;
using channel::Get;
using channel::Pack;

// Runs a per-channel rule over B, G, R and A of *dst with the source channels.
template <typename Rule>
inline void EachChannel(Pixel* dst, int r, int g, int b, int a, Rule rule) {
    const Pixel d = *dst;
    *dst = Pack(rule(Get(d, 3), a), rule(Get(d, 2), r), rule(Get(d, 1), g), rule(Get(d, 0), b));
}

inline int MixTowardSource(int d, int s, int w) {
    return s + (d - s) * (256 - w) / 256;
}

inline int DodgeChannel(int d, int s, int w) {
    const int t = s * w / 256;
    return t > 254 ? Clamp(d * 256) : Clamp(d * 256 / (256 - t));
}

inline int MultiplyChannel(int d, int s, int g) {
    return ((s * g + (256 - g) * 256) * d) >> 16;
}

void CopyFull(Pixel* dst, int r, int g, int b, int a, int) {
    *dst = Pack(a, r, g, b);
}

void CopyPartial(Pixel* dst, int r, int g, int b, int a, int w) {
    EachChannel(dst, r, g, b, a, [w](int d, int s) { return MixTowardSource(d, s, w); });
}

void Add(Pixel* dst, int r, int g, int b, int a, int w) {
    EachChannel(dst, r, g, b, a, [w](int d, int s) { return Clamp(d + s * w / 256); });
}

void Dodge(Pixel* dst, int r, int g, int b, int a, int w) {
    EachChannel(dst, r, g, b, a, [w](int d, int s) { return DodgeChannel(d, s, w); });
}

void Multiply(Pixel* dst, int r, int g, int b, int a, int w) {
    EachChannel(dst, r, g, b, a, [w](int d, int s) { return MultiplyChannel(d, s, w); });
}

void Overlay(Pixel* dst, int r, int g, int b, int, int w) {
    OverlayPixel(dst, r, g, b, w);
}

void HsvAdjust(Pixel* dst, int r, int g, int b, int, int w) {
    HsvAdjustPixel(dst, r, g, b, w);
}

// At full weight the destination keeps (255 - sa) / 256 of itself; alpha accumulates.
void CopyAlphaFull(Pixel* dst, int r, int g, int b, int a, int) {
    if (a == 0) return;
    const Pixel d = *dst;
    if (a == 255) {
        *dst = Pack(255, r, g, b);
        return;
    }
    const int keep = 255 - a;
    *dst = Pack(Get(d, 3) + a > 255 ? 255 : Get(d, 3) + a, r + (Get(d, 2) - r) * keep / 256,
                g + (Get(d, 1) - g) * keep / 256, b + (Get(d, 0) - b) * keep / 256);
}

void CopyAlphaPartial(Pixel* dst, int r, int g, int b, int a, int w) {
    if (a == 0) return;
    const int k = AlphaWeight(w, a);
    const Pixel d = *dst;
    *dst = Pack(Get(d, 3) + k > 255 ? 255 : Get(d, 3) + k, MixTowardSource(Get(d, 2), r, k),
                MixTowardSource(Get(d, 1), g, k), MixTowardSource(Get(d, 0), b, k));
}

void AddAlpha(Pixel* dst, int r, int g, int b, int a, int w) {
    if (a == 0) return;
    Add(dst, r, g, b, a, AlphaWeight(w, a));
}

void DodgeAlpha(Pixel* dst, int r, int g, int b, int a, int w) {
    Dodge(dst, r, g, b, a, AlphaWeight(w, a));
}

void MultiplyAlpha(Pixel* dst, int r, int g, int b, int a, int w) {
    if (a == 0) return;
    Multiply(dst, r, g, b, a, AlphaWeight(w, a));
}

void OverlayAlpha(Pixel* dst, int r, int g, int b, int a, int w) {
    if (a == 0) return;
    OverlayPixel(dst, r, g, b, AlphaWeight(w, a));
}

void HsvAdjustAlpha(Pixel* dst, int r, int g, int b, int a, int w) {
    if (a == 0) return;
    HsvAdjustPixel(dst, r, g, b, AlphaWeight(w, a));
}

}  // namespace

PixelCombiner SelectCombiner(CombineMode mode, int w) {
    const bool sourceAlpha = (mode & UseSourceAlpha) != 0;
    const CombineMode op = mode & kCombineOperationMask;
    // Rules that blend toward a result would extrapolate with a negative weight.
    const bool blends = op == CombineCopy || op == CombineMultiply || op == CombineOverlay ||
                        op == CombineHsvAdjust;
    if (blends && w <= 0) return nullptr;
    switch (op) {
        case CombineCopy:
            if (sourceAlpha) return w == 256 ? CopyAlphaFull : CopyAlphaPartial;
            return w == 256 ? CopyFull : CopyPartial;
        case CombineAdd:
            return sourceAlpha ? AddAlpha : Add;
        case CombineDodge:
            return sourceAlpha ? DodgeAlpha : Dodge;
        case CombineMultiply:
            return sourceAlpha ? MultiplyAlpha : Multiply;
        case CombineOverlay:
            return sourceAlpha ? OverlayAlpha : Overlay;
        case CombineHsvAdjust:
            return sourceAlpha ? HsvAdjustAlpha : HsvAdjust;
        default:
            return nullptr;
    }
}

}  // namespace tav
