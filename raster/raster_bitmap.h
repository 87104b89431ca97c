#pragma once

#include <cstdint>

namespace tav {

// A 32-bit pixel A<<24 | R<<16 | G<<8 | B (bytes B, G, R, A in memory), not premultiplied.
using Pixel = uint32_t;

// Opaque platform drawing context (an HDC on Windows); kept as void* so this header
// stays free of platform headers.
using NativeDeviceContext = void*;

// The surface every raster operation draws on. Pixels are shallow state: a const
// bitmap still hands out writable pixels, the way a span does.
class RasterBitmap {
  public:
    RasterBitmap() = default;
    RasterBitmap(const RasterBitmap&) = delete;
    RasterBitmap& operator=(const RasterBitmap&) = delete;
    virtual ~RasterBitmap() = default;

    // Row 0, column 0; none when the bitmap holds no storage.
    virtual Pixel* Pixels() const = 0;
    virtual int32_t Width() const = 0;
    virtual int32_t Height() const = 0;
    // Distance between rows, in pixels.
    virtual int32_t RowPitch() const = 0;
    virtual bool IsBottomUp() const { return false; }
    // Returns true if the size changed. Contents are not preserved.
    virtual bool Resize(int32_t width, int32_t height) = 0;
    virtual NativeDeviceContext DeviceContext() const { return nullptr; }
    virtual intptr_t QueryExtension(int32_t /*id*/, void* /*data*/) { return 0; }

    // True when there is something to draw on or read from.
    bool IsDrawable() const {
        return Pixels() != nullptr && Width() > 0 && Height() > 0 && RowPitch() > 0;
    }
};

}  // namespace tav
