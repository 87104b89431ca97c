#include "raster/fill_area.h"

#include <algorithm>

#include "raster/bitmap_rows.h"
#include "raster/channel_math.h"
#include "raster/pixel_combiner.h"

namespace tav {
namespace {

constexpr Pixel kHalf = 0x7F7F7F7F;
constexpr Pixel kQuarter = 0x3F3F3F3F;

// Whole-word fills for the common weights; all four channels alike.
template <typename Word>
void FillRows(const BitmapRows& rows, int64_t x, int64_t y, int64_t width, int64_t height,
              Word word) {
    for (int64_t r = 0; r < height; ++r) {
        Pixel* d = rows.Row(y + r) + x;
        for (int64_t i = 0; i < width; ++i) d[i] = word(d[i]);
    }
}

}  // namespace

void FillArea(RasterBitmap* bitmap, int32_t x, int32_t y, int32_t width, int32_t height,
              Pixel colour, float weight, CombineMode mode) {
    if (bitmap == nullptr) return;
    if ((mode & UseSourceAlpha) != 0)
        weight = weight * (static_cast<float>(colour >> 24) * (1.0f / 255.0f));
    int64_t fx = x, fy = y, fw = width, fh = height;
    if (fx < 0) fw += fx, fx = 0;
    if (fy < 0) fh += fy, fy = 0;
    if (weight == 0.0f || bitmap->Pixels() == nullptr || bitmap->RowPitch() == 0 || fw < 1 ||
        fh < 1)
        return;
    if (fx >= bitmap->Width() || fy >= bitmap->Height()) return;
    fw = std::min<int64_t>(fw, bitmap->Width() - fx);
    fh = std::min<int64_t>(fh, bitmap->Height() - fy);
    const BitmapRows rows = BitmapRows::Of(*bitmap);

    const int w = WeightToInt(weight);
    const CombineMode operation = mode & kCombineOperationMask;
    const Pixel c = colour;
    if (operation == CombineCopy) {
        switch (w) {
            case 256:
                FillRows(rows, fx, fy, fw, fh, [c](Pixel) { return c; });
                return;
            case 192: {
                const Pixel part = ((c >> 1) & kHalf) + ((c >> 2) & kQuarter);
                FillRows(rows, fx, fy, fw, fh,
                         [part](Pixel d) { return part + ((d >> 2) & kQuarter); });
                return;
            }
            case 128: {
                const Pixel part = (c >> 1) & kHalf;
                FillRows(rows, fx, fy, fw, fh,
                         [part](Pixel d) { return part + ((d >> 1) & kHalf); });
                return;
            }
            case 64: {
                const Pixel part = (c >> 2) & kQuarter;
                FillRows(rows, fx, fy, fw, fh, [part](Pixel d) {
                    return part + ((d >> 1) & kHalf) + ((d >> 2) & kQuarter);
                });
                return;
            }
            default:
                break;
        }
    }
    if (w == 0) return;
    // The colour's alpha has already acted through the weight; the weight stands in for it.
    const PixelCombiner combine = SelectCombiner(operation, w);
    if (combine == nullptr) return;
    const int r = channel::Get(c, 2), g = channel::Get(c, 1), b = channel::Get(c, 0);
    for (int64_t row = 0; row < fh; ++row) {
        Pixel* d = rows.Row(fy + row) + fx;
        for (int64_t i = 0; i < fw; ++i) combine(d + i, r, g, b, w, w);
    }
}

}  // namespace tav
