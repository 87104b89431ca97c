#pragma once

#include <cstddef>

#include "raster/raster_bitmap.h"

namespace tav {

// Row addressing that honours bottom-up storage: row y of a bottom-up bitmap lives
// at index height - 1 - y and rows advance by minus the pitch.
struct BitmapRows {
    Pixel* first = nullptr;  // row 0 as seen by the caller
    ptrdiff_t step = 0;      // pixels from one row to the next

    static BitmapRows Of(const RasterBitmap& bitmap) {
        BitmapRows rows;
        Pixel* pixels = bitmap.Pixels();
        if (pixels == nullptr) return rows;
        const ptrdiff_t pitch = bitmap.RowPitch();
        if (bitmap.IsBottomUp()) {
            rows.first = pixels + (static_cast<ptrdiff_t>(bitmap.Height()) - 1) * pitch;
            rows.step = -pitch;
        } else {
            rows.first = pixels;
            rows.step = pitch;
        }
        return rows;
    }

    Pixel* Row(ptrdiff_t y) const { return first + y * step; }
};

}  // namespace tav
