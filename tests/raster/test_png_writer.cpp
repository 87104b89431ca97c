#include "tests/raster/test_png_writer.h"

#include <png.h>

#include <cstdio>
#include <filesystem>
#include <vector>

namespace tav::test {

bool WritePng(const RasterBitmap& bitmap, const std::string& path, int scale) {
    if (!bitmap.IsDrawable() || scale < 1) return false;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    const size_t width = static_cast<size_t>(bitmap.Width()) * scale;
    std::vector<png_byte> row(width * 3);
    bool ok = false;
    if (png != nullptr && info != nullptr && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_set_IHDR(png, info, static_cast<png_uint_32>(width),
                     static_cast<png_uint_32>(bitmap.Height() * scale), 8, PNG_COLOR_TYPE_RGB,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int32_t y = 0; y < bitmap.Height(); ++y) {
            const Pixel* source = bitmap.Pixels() + static_cast<ptrdiff_t>(y) * bitmap.RowPitch();
            for (size_t x = 0; x < width; ++x) {
                const Pixel p = source[x / static_cast<size_t>(scale)];
                row[3 * x] = static_cast<png_byte>(p >> 16);
                row[3 * x + 1] = static_cast<png_byte>(p >> 8);
                row[3 * x + 2] = static_cast<png_byte>(p);
            }
            for (int i = 0; i < scale; ++i) png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
        ok = true;
    }
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0 && ok;
}

std::string TestOutputDir(const std::string& name) {
    const std::filesystem::path dir = std::filesystem::path(TAV_BINARY_DIR) / "test-output" / name;
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    return dir.string();
}

}  // namespace tav::test
