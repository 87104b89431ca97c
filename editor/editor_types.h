#pragma once

#include <cstdint>

#include "raster/pixel_rect.h"
#include "raster/raster_bitmap.h"

namespace tav {

class RasterFont;

struct ArgbColor {
    int32_t a = 255;
    int32_t r = 0;
    int32_t g = 0;
    int32_t b = 0;

    Pixel Packed() const {
        return static_cast<Pixel>(a & 0xFF) << 24 | static_cast<Pixel>(r & 0xFF) << 16 |
               static_cast<Pixel>(g & 0xFF) << 8 | static_cast<Pixel>(b & 0xFF);
    }
};

// A text style, copied by value into every control that draws text. cachedFont (a
// GlyphCacheFont in practice) is owned by the process-wide font cache.
struct TextStyle {
    char fontName[32] = "Arial";
    int32_t size = 14;
    ArgbColor color{255, 0, 0, 0};
    int32_t style = 0;        // bit 0 bold, bit 1 italic
    int32_t align = 1;        // 0 left, 1 centre, 2 right
    int32_t orientation = 0;  // degrees
    int32_t quality = 0;      // 0 default, 1 non-antialiased, 2 antialiased, 3 ClearType
    RasterFont* cachedFont = nullptr;
};

// A bitmap of the process-wide bitmap cache; an empty reference has width 0.
struct BitmapRef {
    RasterBitmap* bitmap = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t frames = 1;
    // The resource it came from (0 for none): the surface finds the larger skins by it.
    int32_t resource = 0;

    bool IsEmpty() const { return bitmap == nullptr || width <= 0 || height <= 0; }
};

struct MouseMods {
    bool left = false;
    bool right = false;
    bool shift = false;
    bool control = false;
    bool alt = false;
};

enum BlendMode : int32_t {
    BlendAlpha = 0,
    BlendOpaque = 1,
    BlendAdd = 2,
    BlendDodge = 3,
};

struct BlendSpec {
    int32_t mode = BlendAlpha;
    float weight = 1.0f;
};

// Editor key codes: space 0, arrows up/down/left/right 1-4, digits 5-14, letters 15-40.
enum EditorKey : int32_t {
    KeySpace = 0,
    KeyUp = 1,
    KeyDown = 2,
    KeyLeft = 3,
    KeyRight = 4,
    KeyDigit0 = 5,
    KeyLetterA = 15,
};

}  // namespace tav
