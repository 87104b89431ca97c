#pragma once

#include "raster/raster_bitmap.h"

namespace tav {

// Saves bitmap as an 8-bit RGB PNG (alpha dropped), the way a screen shows it;
// false when the file cannot be written.
bool WriteBitmapPng(const RasterBitmap& bitmap, const char* path);

}  // namespace tav
