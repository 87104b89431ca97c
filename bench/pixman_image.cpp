#include "bench/pixman_image.h"

#include <cmath>
#include <cstddef>

namespace tav::bench {

PixmanImage::PixmanImage(const RasterBitmap& from, bool premultiply) {
    pixels.resize(static_cast<std::size_t>(from.Width()) * from.Height());
    for (int32_t y = 0; y < from.Height(); ++y)
        for (int32_t x = 0; x < from.Width(); ++x) {
            uint32_t p = from.Pixels()[y * from.RowPitch() + x];
            if (premultiply) {
                const uint32_t a = p >> 24;
                auto mul = [a](uint32_t c) { return (c * a + 127) / 255; };
                p = a << 24 | mul((p >> 16) & 0xFF) << 16 | mul((p >> 8) & 0xFF) << 8 |
                    mul(p & 0xFF);
            }
            pixels[static_cast<std::size_t>(y) * from.Width() + x] = p;
        }
    image = pixman_image_create_bits(PIXMAN_a8r8g8b8, from.Width(), from.Height(), pixels.data(),
                                     from.Width() * 4);
}

PixmanImage::PixmanImage(int32_t width, int32_t height)
    : pixels(static_cast<std::size_t>(width) * height, 0xFF203040u) {
    image = pixman_image_create_bits(PIXMAN_a8r8g8b8, width, height, pixels.data(), width * 4);
}

void PixmanImage::TurnAboutCentre(double angle) {
    // Destination to source: about the centre, turned back by the angle.
    const double cx = pixman_image_get_width(image) / 2.0;
    const double cy = pixman_image_get_height(image) / 2.0;
    pixman_f_transform f;
    pixman_f_transform_init_translate(&f, -cx, -cy);
    pixman_f_transform_rotate(&f, nullptr, std::cos(angle), -std::sin(angle));
    pixman_f_transform_translate(&f, nullptr, cx, cy);
    pixman_transform t;
    pixman_transform_from_pixman_f_transform(&t, &f);
    pixman_image_set_transform(image, &t);
}

PixmanImage::~PixmanImage() {
    pixman_image_unref(image);
}

}  // namespace tav::bench
