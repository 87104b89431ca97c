#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tav {

// A skin image decoded ahead of time, as the browser's face carries it: the magic,
// width and height as little-endian 32-bit words, then the pixels' A<<24 | R<<16 |
// G<<8 | B words row by row, little-endian, exactly as the PNG decoder made them.
inline constexpr char kBakedPixelsMagic[8] = {'T', 'A', 'V', 'P', 'I', 'X', '0', '1'};
inline constexpr size_t kBakedPixelsHeaderSize = 16;

struct BakedPixelsShape {
    uint32_t width = 0;
    uint32_t height = 0;
};

inline uint32_t ReadLittleEndian32(const unsigned char* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

// The shape of baked bytes: false unless they hold the magic, a shape of at most
// maxSide on each side and exactly its pixels.
inline bool ReadBakedPixelsShape(const void* data, size_t size, uint32_t maxSide,
                                 BakedPixelsShape* shape) {
    if (data == nullptr || size < kBakedPixelsHeaderSize) return false;
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (std::memcmp(bytes, kBakedPixelsMagic, sizeof kBakedPixelsMagic) != 0) return false;
    const uint32_t width = ReadLittleEndian32(bytes + 8), height = ReadLittleEndian32(bytes + 12);
    if (width == 0 || height == 0 || width > maxSide || height > maxSide) return false;
    if ((size - kBakedPixelsHeaderSize) / 4 != uint64_t{width} * height ||
        (size - kBakedPixelsHeaderSize) % 4 != 0)
        return false;
    shape->width = width;
    shape->height = height;
    return true;
}

}  // namespace tav
