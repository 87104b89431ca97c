#pragma once

#include <cstdint>
#include <vector>

#include "raster/memory_bitmap.h"

namespace tav::bench {

constexpr int32_t kCanvasWidth = 520, kCanvasHeight = 335, kKnobSide = 50;

// Something like the editor background: gradients, panels and fine noise.
void PaintBackground(MemoryBitmap& background);
// The background as an 8-bit RGB PNG at libpng's default compression.
std::vector<uint8_t> EncodeRgbPng(const MemoryBitmap& image);

}  // namespace tav::bench
