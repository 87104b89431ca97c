#include "raster/system_bitmap.h"

namespace tav {

SystemBitmap::SystemBitmap(int32_t width, int32_t height) {
    contextReady_ = CreateContext();
    Resize(width, height);
}

SystemBitmap::~SystemBitmap() {
    DestroyStore();
    DestroyContext();
}

bool SystemBitmap::Resize(int32_t width, int32_t height) {
    if (!contextReady_) {
        width_ = height_ = 0;
        pixels_ = nullptr;
        return false;
    }
    if (width == width_ && height == height_) return false;
    width_ = width;
    height_ = height;
    // Reuse a large enough store: the canvas is resized often and never needs to shrink.
    if (width > 0 && height > 0 && pixels_ != nullptr && allocWidth_ >= width &&
        allocHeight_ >= height)
        return true;

    DestroyStore();
    allocWidth_ = width > 0 ? static_cast<int32_t>((static_cast<uint32_t>(width) + 3u) & ~3u) : 0;
    allocHeight_ = height;
    if (allocWidth_ < 1 || allocHeight_ < 1) {
        // Nothing to hold: report the empty size rather than a size without pixels.
        width_ = height_ = 0;
        allocWidth_ = allocHeight_ = 0;
        return false;
    }
    if (!CreateStore(allocWidth_, allocHeight_)) {
        width_ = height_ = 0;
        allocWidth_ = allocHeight_ = 0;
    }
    return true;
}

}  // namespace tav
