#pragma once

#include <string>

#include "raster/raster_bitmap.h"

namespace tav::test {

// Writes the bitmap as an opaque RGB PNG, each pixel scale x scale; false on failure.
bool WritePng(const RasterBitmap& bitmap, const std::string& path, int scale = 1);

// A folder for pictures made by tests, inside the build tree; created on demand.
std::string TestOutputDir(const std::string& name);

}  // namespace tav::test
