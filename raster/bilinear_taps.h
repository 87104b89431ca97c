#pragma once

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "raster/raster_bitmap.h"

namespace tav {

// Up to four source pixels and their 16.16 weights, which add up to 0x10000. Each
// channel of the result is (w00 * p00 + w10 * p10 + w01 * p01 + w11 * p11) >> 16.
struct Taps {
    Pixel p00, p10, p01, p11;
    uint32_t w00, w10, w01, w11;
};

// Portable form: two channels per 64-bit multiply, 32 bits apart (255 * 0x10000 < 2^24).
inline Pixel BlendTapsScalar(const Taps& t) {
    auto low = [](Pixel p) { return (p & 0xFFu) | (uint64_t{p & 0xFF0000u} << 16); };
    auto high = [](Pixel p) { return ((p >> 8) & 0xFFu) | (uint64_t{p >> 24} << 32); };
    const uint64_t bgr =
        low(t.p00) * t.w00 + low(t.p10) * t.w10 + low(t.p01) * t.w01 + low(t.p11) * t.w11;
    const uint64_t ga =
        high(t.p00) * t.w00 + high(t.p10) * t.w10 + high(t.p01) * t.w01 + high(t.p11) * t.w11;
    return static_cast<Pixel>(((ga >> 48) & 0xFF) << 24 | ((bgr >> 48) & 0xFF) << 16 |
                              ((ga >> 16) & 0xFF) << 8 | ((bgr >> 16) & 0xFF));
}

#if defined(__SSE2__)
// The same sums with 16 x 16 -> 32-bit multiplies, all four channels at once. A weight
// of 0x10000 does not fit 16 bits, but then the others are 0 and the answer is p00.
inline Pixel BlendTapsSse2(const Taps& t) {
    if (t.w00 == 0x10000u) return t.p00;
    const __m128i zero = _mm_setzero_si128();
    const __m128i top =
        _mm_unpacklo_epi8(_mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(t.p00)),
                                             _mm_cvtsi32_si128(static_cast<int>(t.p10))),
                          zero);
    const __m128i bottom =
        _mm_unpacklo_epi8(_mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(t.p01)),
                                             _mm_cvtsi32_si128(static_cast<int>(t.p11))),
                          zero);
    // w00 in lanes 0-3 and w10 in lanes 4-7; likewise w01 and w11.
    auto spread = [](uint32_t a, uint32_t b) {
        const __m128i pair = _mm_cvtsi32_si128(static_cast<int>(a | b << 16));
        const __m128i doubled = _mm_unpacklo_epi16(pair, pair);
        return _mm_unpacklo_epi32(doubled, doubled);
    };
    const __m128i wTop = spread(t.w00, t.w10);
    const __m128i wBottom = spread(t.w01, t.w11);
    const __m128i topLow = _mm_mullo_epi16(top, wTop), topHigh = _mm_mulhi_epu16(top, wTop);
    const __m128i botLow = _mm_mullo_epi16(bottom, wBottom);
    const __m128i botHigh = _mm_mulhi_epu16(bottom, wBottom);
    __m128i sum =
        _mm_add_epi32(_mm_unpacklo_epi16(topLow, topHigh), _mm_unpackhi_epi16(topLow, topHigh));
    sum = _mm_add_epi32(sum, _mm_unpacklo_epi16(botLow, botHigh));
    sum = _mm_add_epi32(sum, _mm_unpackhi_epi16(botLow, botHigh));
    sum = _mm_srli_epi32(sum, 16);
    const __m128i words = _mm_packs_epi32(sum, sum);
    return static_cast<Pixel>(_mm_cvtsi128_si32(_mm_packus_epi16(words, words)));
}
#endif

inline Pixel BlendTaps(const Taps& t) {
#if defined(__SSE2__)
    return BlendTapsSse2(t);
#else
    return BlendTapsScalar(t);
#endif
}

}  // namespace tav
