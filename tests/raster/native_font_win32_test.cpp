#include <windows.h>

#include <gtest/gtest.h>

#include "raster/raster_font.h"

namespace tav {
namespace {

// The platform font is made with exactly the request's size, angle, weight, slant and
// quality, for any character set.
TEST(NativeFontWin32, CreatesTheRequestedLogicalFont) {
    const struct {
        int quality;
        BYTE expected;
    } qualities[] = {{0, DEFAULT_QUALITY},
                     {1, NONANTIALIASED_QUALITY},
                     {2, ANTIALIASED_QUALITY},
                     {3, CLEARTYPE_QUALITY},
                     {7, NONANTIALIASED_QUALITY}};
    for (const auto& q : qualities) {
        FontRequest request;
        request.faceName = "Verdana";
        request.height = 17;
        request.weight = 700;
        request.italic = true;
        request.orientationTenths = 900;
        request.quality = q.quality;
        NativeFont handle = CreateNativeFont(request);
        ASSERT_NE(handle, nullptr);
        LOGFONTA font = {};
        ASSERT_EQ(GetObjectA(static_cast<HFONT>(handle), sizeof(font), &font),
                  static_cast<int>(sizeof(font)));
        EXPECT_EQ(font.lfHeight, 17);
        EXPECT_EQ(font.lfWidth, 0);
        EXPECT_EQ(font.lfEscapement, 900);
        EXPECT_EQ(font.lfOrientation, 900);
        EXPECT_EQ(font.lfWeight, 700);
        EXPECT_EQ(font.lfItalic, TRUE);
        EXPECT_EQ(font.lfUnderline, FALSE);
        EXPECT_EQ(font.lfStrikeOut, FALSE);
        EXPECT_EQ(font.lfCharSet, DEFAULT_CHARSET);
        EXPECT_EQ(font.lfOutPrecision, OUT_DEFAULT_PRECIS);
        EXPECT_EQ(font.lfClipPrecision, CLIP_DEFAULT_PRECIS);
        EXPECT_EQ(font.lfQuality, q.expected) << q.quality;
        EXPECT_EQ(font.lfPitchAndFamily, DEFAULT_PITCH);
        EXPECT_STREQ(font.lfFaceName, "Verdana");
        DeleteNativeFont(handle);
    }
}

}  // namespace
}  // namespace tav
