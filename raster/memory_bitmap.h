#pragma once

#include <cstddef>
#include <cstdint>

#include "raster/raster_bitmap.h"

namespace tav {

// Heap pixels with a 64-byte aligned first row and rows padded to the alignment.
// Storage only grows (with 25 % headroom) until resized to nothing or destroyed.
class MemoryBitmap final : public RasterBitmap {
  public:
    // rowAlignment in pixels: its lowest set bit is used, 0 and 1 mean none, at most 16.
    MemoryBitmap(int32_t width, int32_t height, int32_t rowAlignment);
    ~MemoryBitmap() override;

    Pixel* Pixels() const override;
    int32_t Width() const override { return width_; }
    int32_t Height() const override { return height_; }
    int32_t RowPitch() const override { return (width_ + alignMask_) & ~alignMask_; }
    bool Resize(int32_t width, int32_t height) override;

    // Bytes the current block can hold, without the alignment slack.
    size_t AllocatedBytes() const { return allocated_; }

  private:
    void Release();

    void* block_ = nullptr;
    int32_t width_ = 0;
    int32_t height_ = 0;
    size_t allocated_ = 0;
    int32_t alignMask_ = 0;
};

}  // namespace tav
