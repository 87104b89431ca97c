#pragma once

#include <memory>

#include "raster/memory_bitmap.h"

namespace tav {

// The module whose resources are searched: an HINSTANCE on Windows (none means the
// program itself). Elsewhere every binary carries its own embedded table and the
// handle is not consulted.
using ModuleHandle = void*;

// Finds the "PNG" resource with this 16-bit number in module and decodes it; none (or
// false) when it is missing, too short or not a usable PNG. See DecodePngMemory.
std::unique_ptr<MemoryBitmap> LoadPngResource(ModuleHandle module, int resourceId);
bool LoadPngResource(ModuleHandle module, int resourceId, RasterBitmap& destination);

}  // namespace tav
