#include "raster/native_text.h"

namespace tav {

// A page draws all text from the glyph cache.
bool NativeTextAvailable() {
    return false;
}

int RenderNativeText(const NativeTextStyle&, RasterBitmap*, const char*, int, PixelRect*,
                     uint32_t) {
    return 0;
}

bool ProbeWine() {
    return false;
}

}  // namespace tav
