#include "bench/raster_bench_images.h"

#include <png.h>

#include <cstring>

namespace tav::bench {

void PaintBackground(MemoryBitmap& background) {
    uint32_t noise = 12345;
    for (int32_t y = 0; y < background.Height(); ++y)
        for (int32_t x = 0; x < background.Width(); ++x) {
            noise = noise * 1664525u + 1013904223u;
            const bool panel = (x / 130) % 2 == 1 && y > 40 && y < 300;
            const uint32_t grain = (noise >> 28) & 3;
            const uint32_t r = (panel ? 70 : 30 + x / 8) + grain;
            const uint32_t g = (panel ? 75 : 35 + y / 6) + grain;
            const uint32_t b = (panel ? 90 : 50 + (x + y) / 12) + grain;
            background.Pixels()[y * background.RowPitch() + x] = 0xFF000000u | r << 16 | g << 8 | b;
        }
}

namespace {

void Append(png_structp png, png_bytep data, size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

}  // namespace

std::vector<uint8_t> EncodeRgbPng(const MemoryBitmap& image) {
    std::vector<uint8_t> out;
    std::vector<png_byte> row(static_cast<size_t>(image.Width()) * 3);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, Append, nullptr);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.Width()),
                 static_cast<png_uint_32>(image.Height()), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int32_t y = 0; y < image.Height(); ++y) {
        for (int32_t x = 0; x < image.Width(); ++x) {
            const Pixel p = image.Pixels()[y * image.RowPitch() + x];
            row[3 * static_cast<size_t>(x)] = static_cast<png_byte>(p >> 16);
            row[3 * static_cast<size_t>(x) + 1] = static_cast<png_byte>(p >> 8);
            row[3 * static_cast<size_t>(x) + 2] = static_cast<png_byte>(p);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

}  // namespace tav::bench
