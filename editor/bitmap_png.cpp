#include "editor/bitmap_png.h"

#include <png.h>

#include <cstdio>
#include <vector>

namespace tav {

bool WriteBitmapPng(const RasterBitmap& bitmap, const char* path) {
    if (path == nullptr || !bitmap.IsDrawable()) return false;
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return false;
    const int32_t width = bitmap.Width(), height = bitmap.Height();
    std::vector<png_byte> row(static_cast<size_t>(width) * 3);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (png == nullptr || info == nullptr || setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int32_t y = 0; y < height; ++y) {
        const int32_t line = bitmap.IsBottomUp() ? height - 1 - y : y;
        const Pixel* pixels = bitmap.Pixels() + static_cast<ptrdiff_t>(line) * bitmap.RowPitch();
        for (int32_t x = 0; x < width; ++x) {
            row[3 * static_cast<size_t>(x)] = static_cast<png_byte>(pixels[x] >> 16);
            row[3 * static_cast<size_t>(x) + 1] = static_cast<png_byte>(pixels[x] >> 8);
            row[3 * static_cast<size_t>(x) + 2] = static_cast<png_byte>(pixels[x]);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

}  // namespace tav
