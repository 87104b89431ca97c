#include <cstdlib>
#include <limits>

#include "raster/system_bitmap.h"

namespace tav {

// No window system in a page: the canvas is plain memory, zeroed like a fresh DIB.
bool SystemBitmap::CreateContext() {
    return true;
}

void SystemBitmap::DestroyContext() {}

bool SystemBitmap::CreateStore(int32_t width, int32_t height) {
    const int64_t count = int64_t{width} * height;
    if (count > std::numeric_limits<int32_t>::max() / 4) return false;
    pixels_ = static_cast<Pixel*>(std::calloc(static_cast<size_t>(count), sizeof(Pixel)));
    return pixels_ != nullptr;
}

void SystemBitmap::DestroyStore() {
    std::free(pixels_);
    pixels_ = nullptr;
}

}  // namespace tav
