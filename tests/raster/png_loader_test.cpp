#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "raster/png_loader.h"
#include "raster/png_resource.h"
#include "raster/system_bitmap.h"
#include "tests/raster/png_test_files.h"
#include "tests/raster/test_bitmaps.h"
#include "tests/raster/test_png_writer.h"

namespace tav {
namespace {

using test::At;
using test::Bytes;

// tests/raster/data/swatch.png: 5 x 3 RGBA, listed here as A, R, G, B words.
constexpr Pixel kSwatch[3][5] = {{0xFFFF0000, 0x8000FF00, 0x000000FF, 0xFFFFFFFF, 0xFF000000},
                                 {0x280A141E, 0x50323C46, 0x785A646E, 0xA0828C96, 0xC8AAB4BE},
                                 {0x04010203, 0xFDFAFBFC, 0xFF808080, 0x08402010, 0x00000000}};

constexpr int kSwatchId = 900, kSignatureOnlyId = 901, kSevenBytesId = 902;

void ExpectSwatch(const RasterBitmap& bitmap) {
    ASSERT_EQ(bitmap.Width(), 5);
    ASSERT_EQ(bitmap.Height(), 3);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 5; ++x) EXPECT_EQ(At(bitmap, x, y), kSwatch[y][x]) << x << "," << y;
}

TEST(LoadPngResource, DecodesTheEmbeddedImageWithoutPremultiplying) {
    auto bitmap = LoadPngResource(nullptr, kSwatchId);
    ASSERT_NE(bitmap, nullptr);
    ExpectSwatch(*bitmap);
    EXPECT_EQ(bitmap->RowPitch(), 8);
}

TEST(LoadPngResource, FindsResourcesAddedByList) {
    auto bitmap = LoadPngResource(nullptr, 904);
    ASSERT_NE(bitmap, nullptr);
    ExpectSwatch(*bitmap);
}

TEST(LoadPngResource, LeavesThePaddingAfterEachRowAlone) {
    SystemBitmap canvas(8, 3);  // pitch 8: columns 5..7 are padding for a 5-wide image
    for (int32_t i = 0; i < 8 * 3; ++i) canvas.Pixels()[i] = 0xA5A5A5A5;
    ASSERT_TRUE(LoadPngResource(nullptr, kSwatchId, canvas));
    ExpectSwatch(canvas);
    EXPECT_EQ(canvas.RowPitch(), 8);
    for (int32_t y = 0; y < 3; ++y) EXPECT_EQ(canvas.Pixels()[y * 8 + 6], 0xA5A5A5A5u);
}

TEST(LoadPngResource, MissingShortOrSignatureOnlyResourcesGiveNone) {
    EXPECT_EQ(LoadPngResource(nullptr, kSignatureOnlyId), nullptr);
    EXPECT_EQ(LoadPngResource(nullptr, kSevenBytesId), nullptr);
    EXPECT_EQ(LoadPngResource(nullptr, 903), nullptr);
    EXPECT_EQ(LoadPngResource(nullptr, -1), nullptr);
    EXPECT_EQ(LoadPngResource(nullptr, 0x10000 + kSwatchId), nullptr);
}

TEST(LoadPngFile, ReadsTheSameImageFromDisk) {
    const std::string path = std::string(TAV_SOURCE_DIR) + "/tests/raster/data/swatch.png";
    auto bitmap = LoadPngFile(path.c_str());
    ASSERT_NE(bitmap, nullptr);
    ExpectSwatch(*bitmap);
    EXPECT_EQ(LoadPngFile((path + ".missing").c_str()), nullptr);
    EXPECT_EQ(LoadPngFile(nullptr), nullptr);
    const std::string notPng = std::string(TAV_SOURCE_DIR) + "/tests/raster/test_images.rc";
    EXPECT_EQ(LoadPngFile(notPng.c_str()), nullptr);
}

TEST(DecodePng, SixteenBitAndLowDepthGreyAreBroughtToEightBits) {
    // Grey 2-bit 0,1,2,3 -> 0x00, 0x55, 0xAA, 0xFF; 16-bit keeps the high byte.
    const Bytes grey2 = test::BuildPng(4, 1, 2, 0, {0, 0x1B});
    auto grey = DecodePngMemory(grey2.data(), grey2.size());
    ASSERT_NE(grey, nullptr);
    EXPECT_EQ(At(*grey, 0, 0), 0xFF000000u);
    EXPECT_EQ(At(*grey, 1, 0), 0xFF555555u);
    EXPECT_EQ(At(*grey, 3, 0), 0xFFFFFFFFu);
    const Bytes rgba16 =
        test::BuildPng(1, 1, 16, 6, {0, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0});
    auto deep = DecodePngMemory(rgba16.data(), rgba16.size());
    ASSERT_NE(deep, nullptr);
    EXPECT_EQ(At(*deep, 0, 0), 0xDE12569Au);
}

TEST(DecodePng, TheSideLimitIsInclusive) {
    Bytes rows(1 + 16384, 0);
    rows[1 + 16383] = 0xFF;
    const Bytes wide = test::BuildPng(16384, 1, 8, 0, rows);
    auto bitmap = DecodePngMemory(wide.data(), wide.size());
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->Width(), 16384);
    EXPECT_EQ(At(*bitmap, 16383, 0), 0xFFFFFFFFu);

    Bytes tooWide = wide;
    test::PatchHeader(tooWide, 16, {0, 0, 0x40, 0x01});
    EXPECT_EQ(DecodePngMemory(tooWide.data(), tooWide.size()), nullptr);
}

// Damaged images give none, from memory or from a file. Damage found in the header
// (an oversized image, or one larger than its data could ever fill) is refused before
// a destination the caller passed in is resized.
TEST(DecodePng, CorruptImagesGiveNone) {
    ASSERT_TRUE(test::HasDepsDir(test::kPngSuite));
    const std::string dir = test::TestOutputDir("corrupt-png");
    for (const auto& image : test::CorruptImages()) {
        const std::string path = dir + "/" + image.name + ".png";
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(image.bytes.data()),
                   static_cast<std::streamsize>(image.bytes.size()));
        EXPECT_EQ(DecodePngMemory(image.bytes.data(), image.bytes.size()), nullptr) << image.name;
        EXPECT_EQ(LoadPngFile(path.c_str()), nullptr) << image.name;
        MemoryBitmap inMemory(3, 3, 4), fromFile(3, 3, 4);
        EXPECT_FALSE(DecodePngMemory(image.bytes.data(), image.bytes.size(), inMemory))
            << image.name;
        EXPECT_FALSE(LoadPngFile(path.c_str(), fromFile)) << image.name;
        if (image.name != "xcsn0g01" && image.name != "idat_beyond_the_data") {
            EXPECT_EQ(inMemory.Width(), 3) << image.name;
            EXPECT_EQ(fromFile.Width(), 3) << image.name;
        }
    }
}

// Truncated and bit-flipped images may decode or fail, but never crash or leak
// (the sanitizer build watches this).
TEST(DecodePng, DamagedSuiteImagesAreHandledSafely) {
    ASSERT_TRUE(test::HasDepsDir(test::kPngSuite));
    for (const std::string& path : test::PngSuiteFiles()) {
        const Bytes original = test::ReadFile(path);
        for (size_t cut : {size_t{8}, size_t{33}, original.size() / 2, original.size() - 13,
                           original.size() - 1}) {
            auto bitmap = DecodePngMemory(original.data(), cut);
            if (bitmap) {
                EXPECT_GT(bitmap->Width(), 0);
            }
        }
        for (size_t at = 8; at < original.size(); at += 7) {
            Bytes damaged = original;
            damaged[at] ^= static_cast<uint8_t>(0x5A + at);
            auto bitmap = DecodePngMemory(damaged.data(), damaged.size());
            if (bitmap) {
                EXPECT_LE(bitmap->Width(), 16384);
            }
        }
    }
}

TEST(DecodePng, LibpngCrasherSamplesAreHandledSafely) {
    ASSERT_TRUE(test::HasDepsDir(test::kLibpngCrashers));
    const std::string dir = test::DepsDir(test::kLibpngCrashers);
    for (const char* name : {"bad_iCCP.png", "badadler.png", "badcrc.png",
                             "empty_ancillary_chunks.png", "huge_IDAT.png", "huge_iCCP_chunk.png",
                             "huge_zTXt_chunk.png", "huge_juNK_unsafe_to_copy.png"}) {
        const Bytes bytes = test::ReadFile(dir + "/" + name);
        ASSERT_FALSE(bytes.empty()) << name;
        auto bitmap = DecodePngMemory(bytes.data(), bytes.size());
        if (bitmap) {
            EXPECT_GT(bitmap->Width(), 0);
        }
    }
}

}  // namespace
}  // namespace tav
