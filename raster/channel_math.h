#pragma once

#include "raster/raster_bitmap.h"

namespace tav::channel {

// Byte n of a pixel: 0 blue, 1 green, 2 red, 3 alpha.
inline int Get(Pixel p, int n) {
    return static_cast<int>((p >> (8 * n)) & 0xFFu);
}

inline Pixel Pack(int a, int r, int g, int b) {
    return static_cast<Pixel>(a & 0xFF) << 24 | static_cast<Pixel>(r & 0xFF) << 16 |
           static_cast<Pixel>(g & 0xFF) << 8 | static_cast<Pixel>(b & 0xFF);
}

inline int Clamp(int v) {
    return v < 0 ? 0 : (v > 255 ? 255 : v);
}

// Source alpha scales the weight: k = w * (sa + 1) / 256.
inline int AlphaWeight(int w, int sa) {
    return w * (sa + 1) / 256;
}

}  // namespace tav::channel
