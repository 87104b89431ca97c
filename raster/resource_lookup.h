#pragma once

#include <cstddef>

#include "raster/png_resource.h"

namespace tav {

struct ResourceBytes {
    const void* data = nullptr;
    size_t size = 0;
};

// The bytes of resource (type "PNG", number resourceId) in module. The memory belongs
// to the module and stays valid while it is loaded.
bool FindPngResourceBytes(ModuleHandle module, int resourceId, ResourceBytes* bytes);

}  // namespace tav
