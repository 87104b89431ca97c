#include "raster/png_resource.h"

#include "raster/png_loader.h"
#include "raster/resource_lookup.h"

namespace tav {
namespace {

// Shorter than a signature: cannot be an image.
constexpr size_t kMinResourceSize = 8;

bool Find(ModuleHandle module, int resourceId, ResourceBytes* bytes) {
    // Resource numbers are 16-bit; anything else would be read as a name pointer.
    if (resourceId < 0 || resourceId > 0xFFFF) return false;
    return FindPngResourceBytes(module, resourceId, bytes) && bytes->data != nullptr &&
           bytes->size >= kMinResourceSize;
}

}  // namespace

std::unique_ptr<MemoryBitmap> LoadPngResource(ModuleHandle module, int resourceId) {
    ResourceBytes bytes;
    if (!Find(module, resourceId, &bytes)) return nullptr;
    return DecodePngMemory(bytes.data, bytes.size);
}

bool LoadPngResource(ModuleHandle module, int resourceId, RasterBitmap& destination) {
    ResourceBytes bytes;
    return Find(module, resourceId, &bytes) && DecodePngMemory(bytes.data, bytes.size, destination);
}

}  // namespace tav
