#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>

namespace tav {

// What a NativeFont points to off Windows: a FreeType face set to its pixel size, with
// the cell metrics GDI would report for it.
struct FreeTypeFont {
    FT_Face face = nullptr;
    int32_t lineHeight = 0;  // ascent + descent
    int32_t ascent = 0;      // baseline, from the top of the cell
    bool monochrome = false;
    bool embolden = false;  // bold asked for, but the face found is not
};

}  // namespace tav
