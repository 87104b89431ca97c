// 8-bit RGB pictures as PNG files: editor screenshots and the demo's pictures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tav {

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // rows top-down, 3 bytes a pixel

    const uint8_t* At(int x, int y) const { return rgb.data() + (size_t(y) * width + x) * 3; }
};

bool WritePngFile(const std::string& path, const RgbImage& image, std::string* error);
// Any PNG, converted to RGB (alpha dropped, composited on black).
bool ReadPngFile(const std::string& path, RgbImage* image, std::string* error);

}  // namespace tav
