#pragma once

#include <cstdint>

#include "raster/raster_bitmap.h"

namespace tav {

// The editor's off-screen canvas. On Windows a top-down DIB section selected into a
// memory device context, so GDI can draw straight into the pixels; elsewhere plain
// zeroed memory with no device context. The store never shrinks; rows are padded to
// a multiple of 4 pixels.
class SystemBitmap final : public RasterBitmap {
  public:
    SystemBitmap(int32_t width, int32_t height);
    ~SystemBitmap() override;

    Pixel* Pixels() const override { return pixels_; }
    int32_t Width() const override { return width_; }
    int32_t Height() const override { return height_; }
    int32_t RowPitch() const override { return allocWidth_; }
    bool Resize(int32_t width, int32_t height) override;
    NativeDeviceContext DeviceContext() const override { return deviceContext_; }

    int32_t AllocatedWidth() const { return allocWidth_; }
    int32_t AllocatedHeight() const { return allocHeight_; }

  private:
    // Platform half: the context is made once; the store is (re)made per size.
    bool CreateContext();
    void DestroyContext();
    bool CreateStore(int32_t width, int32_t height);
    void DestroyStore();

    int32_t width_ = 0;
    int32_t height_ = 0;
    NativeDeviceContext deviceContext_ = nullptr;
    bool contextReady_ = false;
    Pixel* pixels_ = nullptr;
    int32_t allocWidth_ = 0;
    int32_t allocHeight_ = 0;
    void* dib_ = nullptr;
    void* previousBitmap_ = nullptr;
};

}  // namespace tav
