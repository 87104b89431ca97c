#pragma once

#include "raster/blend_ops.h"
#include "raster/channel_math.h"
#include "raster/combine_mode.h"

// The per-pixel combine rules, inline so that hot loops can take one as a template
// argument instead of calling through a pointer; SelectCombiner hands out the same
// functions by address.
namespace tav::rules {

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

inline void CopyFull(Pixel* dst, int r, int g, int b, int a, int) {
    *dst = Pack(a, r, g, b);
}

inline void CopyPartial(Pixel* dst, int r, int g, int b, int a, int w) {
    EachChannel(dst, r, g, b, a, [w](int d, int s) { return MixTowardSource(d, s, w); });
}

inline void Add(Pixel* dst, int r, int g, int b, int a, int w) {
    EachChannel(dst, r, g, b, a, [w](int d, int s) { return Clamp(d + s * w / 256); });
}

inline void Dodge(Pixel* dst, int r, int g, int b, int a, int w) {
    EachChannel(dst, r, g, b, a, [w](int d, int s) { return DodgeChannel(d, s, w); });
}

inline void Multiply(Pixel* dst, int r, int g, int b, int a, int w) {
    EachChannel(dst, r, g, b, a, [w](int d, int s) { return MultiplyChannel(d, s, w); });
}

inline void Overlay(Pixel* dst, int r, int g, int b, int, int w) {
    OverlayPixel(dst, r, g, b, w);
}

inline void HsvAdjust(Pixel* dst, int r, int g, int b, int, int w) {
    HsvAdjustPixel(dst, r, g, b, w);
}

// At full weight the destination keeps (255 - sa) / 256 of itself; alpha accumulates.
inline void CopyAlphaFull(Pixel* dst, int r, int g, int b, int a, int) {
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

inline void CopyAlphaPartial(Pixel* dst, int r, int g, int b, int a, int w) {
    if (a == 0) return;
    const int k = AlphaWeight(w, a);
    const Pixel d = *dst;
    *dst = Pack(Get(d, 3) + k > 255 ? 255 : Get(d, 3) + k, MixTowardSource(Get(d, 2), r, k),
                MixTowardSource(Get(d, 1), g, k), MixTowardSource(Get(d, 0), b, k));
}

inline void AddAlpha(Pixel* dst, int r, int g, int b, int a, int w) {
    if (a == 0) return;
    Add(dst, r, g, b, a, AlphaWeight(w, a));
}

inline void DodgeAlpha(Pixel* dst, int r, int g, int b, int a, int w) {
    Dodge(dst, r, g, b, a, AlphaWeight(w, a));
}

inline void MultiplyAlpha(Pixel* dst, int r, int g, int b, int a, int w) {
    if (a == 0) return;
    Multiply(dst, r, g, b, a, AlphaWeight(w, a));
}

inline void OverlayAlpha(Pixel* dst, int r, int g, int b, int a, int w) {
    if (a == 0) return;
    OverlayPixel(dst, r, g, b, AlphaWeight(w, a));
}

inline void HsvAdjustAlpha(Pixel* dst, int r, int g, int b, int a, int w) {
    if (a == 0) return;
    HsvAdjustPixel(dst, r, g, b, AlphaWeight(w, a));
}

// Rules that leave the destination alone wherever the source alpha is 0, so a
// caller may skip such pixels without sampling them fully.
constexpr bool SkipsClearSource(CombineMode rule) {
    return (rule & UseSourceAlpha) != 0 && (rule & kCombineOperationMask) != CombineDodge;
}

}  // namespace tav::rules
