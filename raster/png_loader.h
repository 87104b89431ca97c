#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "raster/memory_bitmap.h"

namespace tav {

// Images wider or taller than this are refused before any pixel memory is taken.
constexpr uint32_t kMaxPngSide = 16384;

// Decode PNG bytes into non-premultiplied A, R, G, B pixels. The first form returns a
// new bitmap (row alignment 4) or none. The second resizes and fills destination and
// returns false on any failure, after which the destination's pixels are unspecified.
// Failures of every kind (bad data, oversized image, an image larger than its data
// could ever fill, no memory) leave nothing behind.
std::unique_ptr<MemoryBitmap> DecodePngMemory(const void* data, size_t size);
bool DecodePngMemory(const void* data, size_t size, RasterBitmap& destination);

// The same decoder reading a file named in UTF-8.
std::unique_ptr<MemoryBitmap> LoadPngFile(const char* utf8Path);
bool LoadPngFile(const char* utf8Path, RasterBitmap& destination);

}  // namespace tav
