#include <gtest/gtest.h>
#include <spng.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "raster/png_loader.h"
#include "tests/raster/png_test_files.h"
#include "tests/raster/test_bitmaps.h"

namespace tav {
namespace {

// libspng's reading of the same file as non-premultiplied A, R, G, B words.
bool DecodeWithSpng(const test::Bytes& bytes, uint32_t* width, uint32_t* height,
                    std::vector<Pixel>* pixels) {
    std::unique_ptr<spng_ctx, decltype(&spng_ctx_free)> ctx(spng_ctx_new(0), spng_ctx_free);
    if (!ctx || spng_set_png_buffer(ctx.get(), bytes.data(), bytes.size()) != 0) return false;
    spng_ihdr header{};
    if (spng_get_ihdr(ctx.get(), &header) != 0) return false;
    size_t size = 0;
    if (spng_decoded_image_size(ctx.get(), SPNG_FMT_RGBA8, &size) != 0) return false;
    std::vector<uint8_t> rgba(size);
    if (spng_decode_image(ctx.get(), rgba.data(), size, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS) != 0)
        return false;
    *width = header.width;
    *height = header.height;
    pixels->resize(size / 4);
    for (size_t i = 0; i < pixels->size(); ++i)
        (*pixels)[i] = Pixel{rgba[4 * i + 3]} << 24 | Pixel{rgba[4 * i]} << 16 |
                       Pixel{rgba[4 * i + 1]} << 8 | rgba[4 * i + 2];
    return true;
}

void ExpectSameAsSpng(const std::string& path) {
    const test::Bytes bytes = test::ReadFile(path);
    uint32_t width = 0, height = 0;
    std::vector<Pixel> expected;
    ASSERT_TRUE(DecodeWithSpng(bytes, &width, &height, &expected)) << path;
    auto bitmap = DecodePngMemory(bytes.data(), bytes.size());
    ASSERT_NE(bitmap, nullptr) << path;
    ASSERT_EQ(bitmap->Width(), static_cast<int32_t>(width)) << path;
    ASSERT_EQ(bitmap->Height(), static_cast<int32_t>(height)) << path;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            ASSERT_EQ(test::At(*bitmap, static_cast<int32_t>(x), static_cast<int32_t>(y)),
                      expected[y * width + x])
                << path << " at " << x << "," << y;
}

TEST(PngReference, PngSuiteMatchesLibspngPixelForPixel) {
    ASSERT_TRUE(test::HasDepsDir(test::kPngSuite));
    const auto files = test::PngSuiteFiles();
    ASSERT_GE(files.size(), 60u);
    for (const std::string& path : files) ExpectSameAsSpng(path);
}

// libpng's own matrix of colour types, depths and gamma chunks: no gamma is applied,
// so these must match as well.
TEST(PngReference, LibpngTestImagesMatchLibspng) {
    ASSERT_TRUE(test::HasDepsDir(test::kLibpngTestImages));
    const std::string dir = test::DepsDir(test::kLibpngTestImages);
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.path().extension() != ".png") continue;
        ExpectSameAsSpng(entry.path().string());
        ++count;
    }
    EXPECT_GE(count, 100);
}

}  // namespace
}  // namespace tav
