#include "raster/embedded_resources.h"
#include "raster/resource_lookup.h"

namespace tav {

bool FindPngResourceBytes(ModuleHandle, int resourceId, ResourceBytes* bytes) {
    const EmbeddedResource* found = FindEmbeddedResource("PNG", resourceId);
    if (found == nullptr) return false;
    bytes->data = found->data;
    bytes->size = found->size;
    return true;
}

}  // namespace tav
