#pragma once

#include <cstddef>
#include <cstdint>

namespace tav {

// What the browser's face draws with, made natively by tav_face_bake (raster/bake/)
// from the Linux face's own glyph source and PNG decoder: every glyph of every font
// the face asks for, and the decoded skin.

// One character as the FreeType source drew it: coverage of the box from its left
// edge (pen at x = pad) over advance + 2 * pad columns and the font's line height.
struct BakedGlyph {
    uint32_t code = 0;
    int32_t advance = 0;
    int32_t boxWidth = 0;
    uint32_t offset = 0;  // into BakedFace::coverage
};

// A font as the face requests it (FontRequest), with what FreeType made of it.
struct BakedFont {
    const char* faceName = "";
    int32_t requestHeight = 0;
    int32_t weight = 400;
    bool italic = false;
    bool monochrome = false;
    int32_t lineHeight = 0;
    int32_t pad = 0;                     // the pad the glyphs were drawn with
    const BakedGlyph* glyphs = nullptr;  // sorted by code
    uint32_t glyphCount = 0;
    // What the face draws for a character the font lacks (its missing-glyph box).
    const BakedGlyph* missing = nullptr;
};

// A skin image: the bytes of baked_pixels.h under its resource number.
struct BakedImage {
    int32_t resource = 0;
    const unsigned char* bytes = nullptr;
    size_t size = 0;
};

struct BakedFace {
    const BakedFont* fonts = nullptr;
    size_t fontCount = 0;
    const BakedImage* images = nullptr;
    size_t imageCount = 0;
    const unsigned char* coverage = nullptr;
    size_t coverageSize = 0;
};

// The generated source's table.
const BakedFace& TheBakedFace();

}  // namespace tav
