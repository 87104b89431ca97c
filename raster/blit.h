#pragma once

#include <cstdint>

#include "raster/combine_mode.h"
#include "raster/pixel_rect.h"
#include "raster/raster_bitmap.h"

namespace tav {

// Copies sourceRect of source (none: all of it) to (x, y) in destination under mode
// and weight, clipped to both bitmaps. Overlapping blits within one bitmap are safe.
void BlitBitmap(RasterBitmap* destination, const RasterBitmap* source, int32_t x, int32_t y,
                const PixelRect* sourceRect, float weight, CombineMode mode);

void BlitBitmapRect(RasterBitmap* destination, const RasterBitmap* source, int32_t x, int32_t y,
                    int32_t sourceX, int32_t sourceY, int32_t width, int32_t height, float weight,
                    CombineMode mode);

}  // namespace tav
