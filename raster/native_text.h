#pragma once

#include <cstdint>

#include "raster/pixel_rect.h"
#include "raster/raster_bitmap.h"
#include "raster/raster_font.h"

namespace tav {

// How a glyph-cache font asks the platform to draw text itself.
struct NativeTextStyle {
    NativeFont font = nullptr;
    Pixel foreground = 0;
    Pixel background = 0xFFFFFFFF;
    int backgroundMode = 1;  // 1 transparent, 2 opaque
    float weight = 1.0f;     // used when the text is composed off the bitmap
    int32_t lineHeight = 0;
};

// Whether this platform draws text natively at all (DrawText on Windows).
bool NativeTextAvailable();

// Measures (TextCalcRect) or draws text of count bytes (negative: up to its NUL) with
// DrawText semantics; returns the text height, 0 when nothing could be done.
int RenderNativeText(const NativeTextStyle& style, RasterBitmap* bitmap, const char* text,
                     int count, PixelRect* rect, uint32_t flags);

// Whether the process runs under Wine; asks the system every time it is called.
bool ProbeWine();

}  // namespace tav
