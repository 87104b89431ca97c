#include <gtest/gtest.h>

#include <string>

#include "raster/native_font_posix.h"
#include "raster/raster_font.h"

namespace tav {
namespace {

// Windows face names resolve to installed free faces of the same style, or to none.
TEST(NativeFontPosix, FacesResolveToFreeStandIns) {
    const struct {
        const char* face;
        int weight;
        bool italic;
        const char* family;  // none: no font
        const char* style;
    } cases[] = {
        {"Arial", 400, false, "Liberation Sans", "Regular"},
        {"arial", 700, false, "Liberation Sans", "Bold"},
        {"Arial", 400, true, "Liberation Sans", "Italic"},
        {"Verdana", 400, false, "DejaVu Sans", "Book"},
        {"Liberation Serif", 400, false, "Liberation Serif", "Regular"},
        {"No Such Face Anywhere", 400, false, nullptr, nullptr},
        {"", 400, false, nullptr, nullptr},
        {nullptr, 400, false, nullptr, nullptr},
    };
    for (const auto& c : cases) {
        FontRequest request;
        request.faceName = c.face;
        request.weight = c.weight;
        request.italic = c.italic;
        NativeFont handle = CreateNativeFont(request);
        const std::string name = c.face != nullptr ? c.face : "(null)";
        if (c.family == nullptr) {
            EXPECT_EQ(handle, nullptr) << name;
            continue;
        }
        ASSERT_NE(handle, nullptr) << name;
        const FT_Face face = static_cast<FreeTypeFont*>(handle)->face;
        EXPECT_STREQ(face->family_name, c.family) << name;
        EXPECT_STREQ(face->style_name, c.style) << name;
        DeleteNativeFont(handle);
    }
}

// GDI's mapping: positive heights are the cell, negative ones the em size.
TEST(NativeFontPosix, HeightMapsLikeGdi) {
    const struct {
        int height;
        int lineHeight;
        int ascent;
    } cases[] = {
        {15, 15, 12},   // em 13 px: Liberation Sans' cell is 1.117 em
        {-13, 15, 12},  // the same font asked for by its em size
        {0, 16, 13},
    };
    for (const auto& c : cases) {
        FontRequest request;
        request.height = c.height;
        NativeFont handle = CreateNativeFont(request);
        ASSERT_NE(handle, nullptr);
        const auto* font = static_cast<FreeTypeFont*>(handle);
        EXPECT_EQ(font->lineHeight, c.lineHeight) << c.height;
        EXPECT_EQ(font->ascent, c.ascent) << c.height;
        DeleteNativeFont(handle);
    }
}

}  // namespace
}  // namespace tav
