#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "raster/memory_bitmap.h"

namespace tav::test {

// A bitmap filled from a list of words, row by row.
inline std::unique_ptr<MemoryBitmap> MakeBitmap(int32_t width, int32_t height,
                                                const std::vector<Pixel>& words) {
    auto bitmap = std::make_unique<MemoryBitmap>(width, height, 4);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            bitmap->Pixels()[y * bitmap->RowPitch() + x] =
                words[static_cast<size_t>(y * width + x)];
    return bitmap;
}

inline void Fill(RasterBitmap& bitmap, Pixel word) {
    for (int32_t y = 0; y < bitmap.Height(); ++y)
        for (int32_t x = 0; x < bitmap.Width(); ++x)
            bitmap.Pixels()[y * bitmap.RowPitch() + x] = word;
}

inline Pixel At(const RasterBitmap& bitmap, int32_t x, int32_t y) {
    return bitmap.Pixels()[y * bitmap.RowPitch() + x];
}

// A round knob: opaque in the middle, soft edge, transparent corners.
inline void PaintKnob(MemoryBitmap& knob) {
    const int32_t n = knob.Width();
    for (int32_t y = 0; y < n; ++y)
        for (int32_t x = 0; x < n; ++x) {
            const int32_t dx = 2 * x - n + 1, dy = 2 * y - n + 1;
            const int32_t d2 = dx * dx + dy * dy, r2 = n * n;
            const int32_t alpha = d2 >= r2 ? 0 : (d2 < r2 * 3 / 4 ? 255 : 255 * (r2 - d2) * 4 / r2);
            knob.Pixels()[y * knob.RowPitch() + x] = static_cast<Pixel>(alpha) << 24 |
                                                     Pixel(40 + 6 * x) << 16 |
                                                     Pixel(30 + 5 * y) << 8 | Pixel(200 - 3 * x);
        }
    // An indicator line from the centre up, so turns are visible.
    for (int32_t y = 2; y < n / 2; ++y) knob.Pixels()[y * knob.RowPitch() + n / 2] = 0xFFFFFF00;
}

// A distinct, deterministic colour per position, alpha included.
inline Pixel Pattern(int32_t x, int32_t y) {
    uint32_t h = static_cast<uint32_t>(x) * 0x9E3779B1u ^ static_cast<uint32_t>(y) * 0x85EBCA77u;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    return h;
}

inline void FillPattern(RasterBitmap& bitmap) {
    for (int32_t y = 0; y < bitmap.Height(); ++y)
        for (int32_t x = 0; x < bitmap.Width(); ++x)
            bitmap.Pixels()[y * bitmap.RowPitch() + x] = Pattern(x, y);
}

// FNV-1a over the visible pixels, so padding never changes the result.
inline uint64_t HashPixels(const RasterBitmap& bitmap) {
    uint64_t h = 1469598103934665603ull;
    auto mix = [&h](uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            h ^= (v >> (8 * i)) & 0xFF;
            h *= 1099511628211ull;
        }
    };
    mix(static_cast<uint32_t>(bitmap.Width()));
    mix(static_cast<uint32_t>(bitmap.Height()));
    for (int32_t y = 0; y < bitmap.Height(); ++y)
        for (int32_t x = 0; x < bitmap.Width(); ++x) mix(At(bitmap, x, y));
    return h;
}

}  // namespace tav::test
