#include "raster/baked_face.h"
#include "raster/resource_lookup.h"

namespace tav {

// The skin was decoded natively; its images keep their resource numbers.
bool FindPngResourceBytes(ModuleHandle, int resourceId, ResourceBytes* bytes) {
    const BakedFace& baked = TheBakedFace();
    for (size_t i = 0; i < baked.imageCount; ++i) {
        if (baked.images[i].resource != resourceId) continue;
        bytes->data = baked.images[i].bytes;
        bytes->size = baked.images[i].size;
        return true;
    }
    return false;
}

}  // namespace tav
