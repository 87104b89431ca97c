#pragma once

#include <cstdint>

#include "raster/combine_mode.h"
#include "raster/pixel_rect.h"
#include "raster/raster_bitmap.h"

namespace tav {

// A platform font: an HFONT on Windows; elsewhere an object of ours holding the face
// and its pixel size. None is a null pointer.
using NativeFont = void*;

// Text layout flags: the DrawText format bits, plus one of ours.
constexpr uint32_t TextCenter = 0x1;
constexpr uint32_t TextRight = 0x2;
constexpr uint32_t TextVCenter = 0x4;
constexpr uint32_t TextBottom = 0x8;
constexpr uint32_t TextSingleLine = 0x20;
constexpr uint32_t TextNoClip = 0x100;
constexpr uint32_t TextCalcRect = 0x400;
constexpr uint32_t TextNoPrefix = 0x800;
// The text colour's alpha scales the drawing weight (forces the glyph cache).
constexpr uint32_t TextUseColourAlpha = 0x40000000;

// Font flags given to AttachFont.
constexpr uint32_t FontOwnsHandle = 0x200;
constexpr uint32_t FontPreferNative = 0x400;

// Draws UTF-8 text into raster bitmaps.
class RasterFont {
  public:
    RasterFont() = default;
    RasterFont(const RasterFont&) = delete;
    RasterFont& operator=(const RasterFont&) = delete;
    virtual ~RasterFont() = default;

    virtual void AttachFont(NativeFont handle, uint32_t flags) = 0;
    // Colours are A<<24 | R<<16 | G<<8 | B words; each setter returns the previous value.
    virtual Pixel SetForeground(Pixel colour) = 0;
    virtual Pixel SetBackground(Pixel colour) = 0;
    virtual Pixel SetEffectTint(Pixel colour) = 0;
    // 1 transparent, 2 opaque.
    virtual int SetBackgroundMode(int mode) = 0;
    virtual void SetBlend(CombineMode mode, float weight) = 0;
    // Measures (TextCalcRect) or draws text of count bytes (negative: up to its NUL) into
    // rect; returns the height of the text measured or drawn.
    virtual int RenderText(RasterBitmap* bitmap, const char* text, int count, PixelRect* rect,
                           uint32_t flags) = 0;
    virtual Pixel Foreground() const = 0;
    virtual NativeFont FontHandle() const = 0;
    virtual int LineHeight() const = 0;
};

// What a platform font is made from. quality: 0 default, 1 non-antialiased,
// 2 antialiased, 3 ClearType.
struct FontRequest {
    const char* faceName = "Arial";
    int height = 14;   // pixels; positive is the cell height (ascent + descent)
    int weight = 400;  // 700 bold
    bool italic = false;
    int orientationTenths = 0;
    int quality = 0;
};

// Makes a platform font (CreateFontA on Windows); none when the face cannot be made.
NativeFont CreateNativeFont(const FontRequest& request);
void DeleteNativeFont(NativeFont font);

}  // namespace tav
