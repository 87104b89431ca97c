#pragma once

#include <cstdint>

#include "raster/combine_mode.h"
#include "raster/raster_bitmap.h"

namespace tav {

// Fills a rectangle of bitmap with colour (A, R, G, B word) under mode and weight,
// clipped to the bitmap. With UseSourceAlpha the colour's alpha scales the weight.
void FillArea(RasterBitmap* bitmap, int32_t x, int32_t y, int32_t width, int32_t height,
              Pixel colour, float weight, CombineMode mode);

}  // namespace tav
