// A pixman image over a copy of one of our bitmaps, for reference timings.
#pragma once

#include <pixman.h>

#include <cstdint>
#include <vector>

#include "raster/raster_bitmap.h"

namespace tav::bench {

// pixman wants premultiplied pixels; the copy is made once, outside the timing.
struct PixmanImage {
    std::vector<uint32_t> pixels;
    pixman_image_t* image = nullptr;

    PixmanImage(const RasterBitmap& from, bool premultiply);
    // An opaque canvas of one colour.
    PixmanImage(int32_t width, int32_t height);
    ~PixmanImage();
    // Composites from now on show the image turned by angle (radians) about its centre;
    // pixman gets the transform each call, as our rotated blit takes its angle.
    void TurnAboutCentre(double angle);
    PixmanImage(const PixmanImage&) = delete;
    PixmanImage& operator=(const PixmanImage&) = delete;
};

}  // namespace tav::bench
