#include "raster/memory_bitmap.h"

#include <cstdint>
#include <cstdlib>
#include <limits>

namespace tav {
namespace {

constexpr size_t kSlack = 63;  // room to round the first row up to 64 bytes

int32_t AlignMaskFor(int32_t alignment) {
    const uint32_t bits = static_cast<uint32_t>(alignment);
    uint32_t lowest = bits & (~bits + 1u);
    if (lowest > 16) lowest = 16;
    return lowest <= 1 ? 0 : static_cast<int32_t>(lowest - 1);
}

}  // namespace

MemoryBitmap::MemoryBitmap(int32_t width, int32_t height, int32_t rowAlignment)
    : alignMask_(AlignMaskFor(rowAlignment)) {
    if (width > 0 && height > 0) Resize(width, height);
}

MemoryBitmap::~MemoryBitmap() {
    Release();
}

Pixel* MemoryBitmap::Pixels() const {
    if (block_ == nullptr) return nullptr;
    const uintptr_t aligned = (reinterpret_cast<uintptr_t>(block_) + kSlack) & ~uintptr_t{kSlack};
    return reinterpret_cast<Pixel*>(aligned);
}

void MemoryBitmap::Release() {
    std::free(block_);
    block_ = nullptr;
    allocated_ = 0;
}

bool MemoryBitmap::Resize(int32_t width, int32_t height) {
    if (width == width_ && height == height_) return false;
    width_ = width;
    height_ = height;
    // 64-bit so that absurd sizes fail cleanly instead of wrapping.
    const int64_t pitch = (int64_t{width} + alignMask_) & ~int64_t{alignMask_};
    const int64_t needed = int64_t{height} * pitch * 4;
    if (needed > 0 && width > 0 && height > 0 && needed <= std::numeric_limits<int32_t>::max()) {
        const size_t n = static_cast<size_t>(needed);
        if (block_ == nullptr) {
            block_ = std::malloc(n + kSlack);
            allocated_ = block_ != nullptr ? n : 0;
        } else if (allocated_ < n) {
            const size_t grown = (n / 4) * 5;
            void* moved = std::realloc(block_, grown + kSlack);
            if (moved != nullptr) {
                block_ = moved;
                allocated_ = grown;
            } else {
                std::free(block_);
                block_ = std::malloc(n + kSlack);
                allocated_ = block_ != nullptr ? n : 0;
            }
        }
    } else {
        Release();
    }
    if (block_ == nullptr) {
        width_ = 0;
        height_ = 0;
    }
    return true;
}

}  // namespace tav
