#include "host/png_file.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>

namespace tav {

namespace {

// libpng reports errors by longjmp: nothing here may need unwinding or keep state in
// registers across it, so the caller's strings stay out of this function.
bool EncodeRgbPng(std::FILE* file, const RgbImage& image) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (png == nullptr || info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(image.width), png_uint_32(image.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < image.height; ++y)
        png_write_row(png, const_cast<png_bytep>(image.At(0, y)));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool WritePngFile(const std::string& path, const RgbImage& image, std::string* error) {
    if (image.width <= 0 || image.height <= 0 ||
        image.rgb.size() < size_t(image.width) * size_t(image.height) * 3) {
        *error = "no picture to write to " + path;
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        *error = "cannot write " + path;
        return false;
    }
    if (!EncodeRgbPng(file, image)) {
        std::fclose(file);
        *error = "PNG encoding failed";
        return false;
    }
    if (std::fclose(file) != 0) {
        *error = "cannot write " + path;
        return false;
    }
    return true;
}

bool ReadPngFile(const std::string& path, RgbImage* image, std::string* error) {
    png_image reader = {};
    reader.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&reader, path.c_str())) {
        *error = "cannot read " + path + ": " + reader.message;
        return false;
    }
    reader.format = PNG_FORMAT_RGB;
    image->width = int(reader.width);
    image->height = int(reader.height);
    image->rgb.assign(PNG_IMAGE_SIZE(reader), 0);
    const png_color black = {0, 0, 0};
    if (!png_image_finish_read(&reader, &black, image->rgb.data(), 0, nullptr)) {
        *error = "cannot decode " + path + ": " + reader.message;
        png_image_free(&reader);
        return false;
    }
    return true;
}

}  // namespace tav
