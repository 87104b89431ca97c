#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tav::bake {

struct GlyphRecordOut {
    uint32_t code = 0;
    int32_t advance = 0;
    int32_t boxWidth = 0;
    uint32_t offset = 0;
};

struct FontOut {
    std::string faceName;
    int32_t requestHeight = 0;
    int32_t weight = 400;
    bool italic = false;
    bool monochrome = false;
    int32_t lineHeight = 0;
    int32_t pad = 0;
    std::vector<GlyphRecordOut> glyphs;  // sorted by code
    GlyphRecordOut missing;
};

struct ImageOut {
    int32_t resource = 0;
    std::vector<unsigned char> bytes;  // raster/baked_pixels.h
};

// Writes the C++ source defining TheBakedFace() (raster/baked_face.h); false when
// the file cannot be written whole.
bool WriteBakedFaceSource(const std::string& path, const std::vector<FontOut>& fonts,
                          const std::vector<unsigned char>& coverage,
                          const std::vector<ImageOut>& images);

}  // namespace tav::bake
