#pragma once

#include <cstdint>

#include "raster/combine_mode.h"
#include "raster/raster_bitmap.h"

namespace tav {

// Combines one source colour (channels 0..255) into *dst with integer weight w
// (256 = full strength).
using PixelCombiner = void (*)(Pixel* dst, int r, int g, int b, int a, int w);

// The rule for (mode & kCombineRuleMask) at weight w, or none when nothing would be
// drawn (unknown operation, or a copy/multiply/overlay/adjust with w <= 0).
PixelCombiner SelectCombiner(CombineMode mode, int w);

}  // namespace tav
