#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "raster/baked_pixels.h"

namespace tav {
namespace {

std::vector<unsigned char> Baked(uint32_t width, uint32_t height, size_t pixelBytes) {
    std::vector<unsigned char> bytes(kBakedPixelsMagic, kBakedPixelsMagic + 8);
    for (const uint32_t word : {width, height})
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<unsigned char>(word >> shift));
    bytes.resize(bytes.size() + pixelBytes, 0x5A);
    return bytes;
}

std::vector<unsigned char> HeaderOnly() {
    std::vector<unsigned char> bytes = Baked(3, 2, 0);
    bytes.resize(12);
    return bytes;
}

// The page's skin decoder takes only whole images of a sane shape.
TEST(BakedPixels, ShapeIsReadOnlyFromWholeImagesOfSaneSize) {
    struct Case {
        const char* what;
        std::vector<unsigned char> bytes;
        bool readable;
    } cases[] = {
        {"whole", Baked(3, 2, 24), true},
        {"one pixel", Baked(1, 1, 4), true},
        {"a byte short", Baked(3, 2, 23), false},
        {"a pixel short", Baked(3, 2, 20), false},
        {"a byte over", Baked(3, 2, 25), false},
        {"a pixel over", Baked(3, 2, 28), false},
        {"no width", Baked(0, 2, 0), false},
        {"no height", Baked(3, 0, 0), false},
        {"wider than allowed", Baked(65, 1, 65 * 4), false},
        {"header only", HeaderOnly(), false},
        {"nothing", {}, false},
    };
    for (const Case& c : cases) {
        BakedPixelsShape shape;
        EXPECT_EQ(ReadBakedPixelsShape(c.bytes.data(), c.bytes.size(), 64, &shape), c.readable)
            << c.what;
    }
    std::vector<unsigned char> wrongMagic = Baked(3, 2, 24);
    wrongMagic[7] = '2';
    BakedPixelsShape shape;
    EXPECT_FALSE(ReadBakedPixelsShape(wrongMagic.data(), wrongMagic.size(), 64, &shape));
    EXPECT_FALSE(ReadBakedPixelsShape(nullptr, 40, 64, &shape));
    // Sides whose product wraps in 32 bits to what the data holds.
    const std::vector<unsigned char> wrapping = Baked(0x10000, 0x10000, 0);
    EXPECT_FALSE(ReadBakedPixelsShape(wrapping.data(), wrapping.size(), 0xFFFFFFFFu, &shape));

    const std::vector<unsigned char> good = Baked(3, 2, 24);
    ASSERT_TRUE(ReadBakedPixelsShape(good.data(), good.size(), 64, &shape));
    EXPECT_EQ(shape.width, 3u);
    EXPECT_EQ(shape.height, 2u);
}

}  // namespace
}  // namespace tav
