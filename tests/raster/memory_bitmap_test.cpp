#include <gtest/gtest.h>

#include <cstdint>

#include "raster/memory_bitmap.h"
#include "raster/system_bitmap.h"

namespace tav {
namespace {

TEST(MemoryBitmap, RowPitchFollowsLowestBitOfAlignment) {
    struct Case {
        int32_t alignment, pitch;
    } cases[] = {{4, 8}, {6, 6}, {0, 5}, {1, 5}, {2, 6}, {8, 8}, {16, 16}, {32, 16}, {48, 16}};
    for (const Case& c : cases) {
        MemoryBitmap bitmap(5, 2, c.alignment);
        EXPECT_EQ(bitmap.RowPitch(), c.pitch) << "alignment " << c.alignment;
        EXPECT_EQ(bitmap.Width(), 5);
    }
}

TEST(MemoryBitmap, PixelsAreAlignedTo64BytesAfterEveryResize) {
    MemoryBitmap bitmap(3, 3, 4);
    for (int32_t side : {1, 7, 65, 300, 2, 1000}) {
        bitmap.Resize(side, side + 1);
        ASSERT_NE(bitmap.Pixels(), nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(bitmap.Pixels()) % 64, 0u) << side;
        // The whole image must be writable (ASan checks the last byte).
        bitmap.Pixels()[bitmap.Height() * bitmap.RowPitch() - 1] = 0xFFFFFFFF;
    }
}

TEST(MemoryBitmap, GrowsWithHeadroomAndNeverShrinksUntilEmptied) {
    MemoryBitmap bitmap(100, 100, 4);
    EXPECT_EQ(bitmap.AllocatedBytes(), 40000u);
    EXPECT_TRUE(bitmap.Resize(101, 100));
    EXPECT_EQ(bitmap.RowPitch(), 104);
    EXPECT_EQ(bitmap.AllocatedBytes(), 52000u);  // (41600 / 4) * 5
    EXPECT_TRUE(bitmap.Resize(100, 100));
    EXPECT_EQ(bitmap.AllocatedBytes(), 52000u);
    EXPECT_FALSE(bitmap.Resize(100, 100));

    EXPECT_TRUE(bitmap.Resize(0, 0));
    EXPECT_EQ(bitmap.Pixels(), nullptr);
    EXPECT_EQ(bitmap.AllocatedBytes(), 0u);
}

TEST(MemoryBitmap, StartsEmptyWithoutPositiveSize) {
    MemoryBitmap bitmap(0, 10, 4);
    EXPECT_EQ(bitmap.Pixels(), nullptr);
    EXPECT_EQ(bitmap.Width(), 0);
    EXPECT_EQ(bitmap.Height(), 0);
    EXPECT_FALSE(bitmap.IsDrawable());
}

TEST(MemoryBitmap, UnrepresentableSizeLeavesAnEmptyBitmap) {
    MemoryBitmap bitmap(16, 16, 4);
    // 2^31 bytes and more do not fit the byte count; refused instead of wrapping.
    EXPECT_TRUE(bitmap.Resize(65536, 32768));
    EXPECT_EQ(bitmap.Pixels(), nullptr);
    EXPECT_EQ(bitmap.Width(), 0);
    EXPECT_EQ(bitmap.Height(), 0);
    EXPECT_TRUE(bitmap.Resize(-4, 10));
    EXPECT_EQ(bitmap.Pixels(), nullptr);
    EXPECT_TRUE(bitmap.Resize(4, 4));
    EXPECT_NE(bitmap.Pixels(), nullptr);
}

TEST(SystemBitmap, StoreIsPaddedToFourPixelsAndNeverShrinks) {
    SystemBitmap bitmap(256, 256);
    ASSERT_NE(bitmap.Pixels(), nullptr);
    Pixel* store = bitmap.Pixels();
    EXPECT_TRUE(bitmap.Resize(4, 4));
    EXPECT_EQ(bitmap.Width(), 4);
    EXPECT_EQ(bitmap.RowPitch(), 256);
    EXPECT_EQ(bitmap.AllocatedHeight(), 256);
    EXPECT_EQ(bitmap.Pixels(), store);

    EXPECT_TRUE(bitmap.Resize(1, 1));
    EXPECT_EQ(bitmap.RowPitch(), 256);
    EXPECT_TRUE(bitmap.Resize(257, 3));
    EXPECT_EQ(bitmap.RowPitch(), 260);
    EXPECT_EQ(bitmap.AllocatedHeight(), 3);

    SystemBitmap narrow(1, 5);
    EXPECT_EQ(narrow.RowPitch(), 4);
    EXPECT_FALSE(narrow.IsBottomUp());
}

TEST(SystemBitmap, FreshStoreIsZeroedAndEmptySizeHasNoPixels) {
    SystemBitmap bitmap(13, 7);
    ASSERT_NE(bitmap.Pixels(), nullptr);
    for (int32_t i = 0; i < bitmap.RowPitch() * bitmap.Height(); ++i)
        ASSERT_EQ(bitmap.Pixels()[i], 0u);
    bitmap.Resize(0, 0);
    EXPECT_EQ(bitmap.Pixels(), nullptr);
    EXPECT_FALSE(bitmap.IsDrawable());
    bitmap.Resize(2, 2);
    EXPECT_TRUE(bitmap.IsDrawable());
}

}  // namespace
}  // namespace tav
