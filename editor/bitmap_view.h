#pragma once

#include <cstddef>

#include "raster/pixel_rect.h"
#include "raster/raster_bitmap.h"

namespace tav {

// A rectangle of another bitmap seen as a bitmap of its own, so that any raster
// operation drawing into it is clipped to that rectangle. The rectangle must lie
// within the base bitmap; the view has no device context.
class BitmapView final : public RasterBitmap {
  public:
    BitmapView(const RasterBitmap& base, const PixelRect& area)
        : pixels_(base.Pixels() + static_cast<std::ptrdiff_t>(area.top) * base.RowPitch() +
                  area.left),
          width_(area.Width()),
          height_(area.Height()),
          pitch_(base.RowPitch()) {}

    Pixel* Pixels() const override { return pixels_; }
    int32_t Width() const override { return width_; }
    int32_t Height() const override { return height_; }
    int32_t RowPitch() const override { return pitch_; }
    bool Resize(int32_t, int32_t) override { return false; }

  private:
    Pixel* pixels_;
    int32_t width_;
    int32_t height_;
    int32_t pitch_;
};

}  // namespace tav
