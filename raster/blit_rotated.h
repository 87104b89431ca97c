#pragma once

#include <cstdint>

#include "raster/combine_mode.h"
#include "raster/raster_bitmap.h"

namespace tav {

// Draws the source rectangle (sourceX, sourceY, sourceWidth, sourceHeight; floats, in
// source pixels) into the destination rectangle, scaled to fit and turned by angle
// (radians, clockwise on screen) about the rectangle's centre, offset in the source by
// (centreX, centreY). A negative destination width or height mirrors along that axis.
// With clipToSource only the source rectangle is sampled, else the whole source.
// FilterBilinear in mode selects bilinear sampling. Destination pixels that map
// outside the sampled window are left as they are.
void BlitRotated(RasterBitmap* destination, const RasterBitmap* source, int32_t x, int32_t y,
                 int32_t width, int32_t height, float sourceX, float sourceY, float sourceWidth,
                 float sourceHeight, float angle, bool clipToSource, float weight, CombineMode mode,
                 float centreX, float centreY);

}  // namespace tav
