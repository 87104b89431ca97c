#include <windows.h>

#include <gtest/gtest.h>

#include "raster/system_bitmap.h"

namespace tav {
namespace {

// GDI must draw straight into the pixels, top row first, as B, G, R bytes.
TEST(SystemBitmapWin32, DeviceContextDrawsIntoTopDownPixels) {
    SystemBitmap bitmap(6, 5);
    auto* dc = static_cast<HDC>(bitmap.DeviceContext());
    ASSERT_NE(dc, nullptr);
    ASSERT_NE(SetPixelV(dc, 1, 0, RGB(0x12, 0x34, 0x56)), 0);
    ASSERT_NE(SetPixelV(dc, 5, 4, RGB(0xAB, 0xCD, 0xEF)), 0);
    GdiFlush();
    EXPECT_EQ(bitmap.Pixels()[1] & 0xFFFFFF, 0x123456u);
    EXPECT_EQ(bitmap.Pixels()[4 * bitmap.RowPitch() + 5] & 0xFFFFFF, 0xABCDEFu);

    // Regrowing swaps the DIB; the context must draw into the new one.
    bitmap.Resize(300, 2);
    ASSERT_NE(SetPixelV(dc, 299, 1, RGB(1, 2, 3)), 0);
    GdiFlush();
    EXPECT_EQ(bitmap.Pixels()[bitmap.RowPitch() + 299] & 0xFFFFFF, 0x010203u);
}

}  // namespace
}  // namespace tav
