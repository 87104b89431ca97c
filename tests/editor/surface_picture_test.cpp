// A small editor painted end to end through the headless surface with the real
// cached font: a background, two turned knobs with their value texts and a lit
// button. The picture is saved for people to look at; a few pixels are checked
// against what the layout implies.
#include <cstdlib>
#include <string>

#include "editor/bitmap_png.h"
#include "editor/editor_caches.h"
#include "raster/blit.h"
#include "raster/memory_bitmap.h"
#include "tests/editor/editor_fixture.h"
#include "tests/raster/test_bitmaps.h"
#include "tests/raster/test_png_writer.h"

namespace tav::test {
namespace {

constexpr Pixel kBackground = 0xFF203040;
constexpr Pixel kPanel = 0xFF303848;
constexpr Pixel kUnlit = 0xFF404040;
constexpr Pixel kLit = 0xFFE03020;

enum Resource { kBackgroundImage = 100, kKnobImage = 101, kButtonImage = 102 };

RasterBitmap* MakeImage(int number) {
    switch (number) {
        case kBackgroundImage: {
            auto* image = new MemoryBitmap(200, 120, 4);
            Fill(*image, kBackground);
            for (int32_t y = 90; y < 120; ++y)
                for (int32_t x = 0; x < 200; ++x)
                    image->Pixels()[y * image->RowPitch() + x] = kPanel;
            return image;
        }
        case kKnobImage: {
            auto* image = new MemoryBitmap(40, 40, 4);
            PaintKnob(*image);
            return image;
        }
        case kButtonImage: {  // two 30 x 16 frames: unlit above lit
            auto* image = new MemoryBitmap(30, 32, 4);
            for (int32_t y = 0; y < 32; ++y)
                for (int32_t x = 0; x < 30; ++x)
                    image->Pixels()[y * image->RowPitch() + x] = y < 16 ? kUnlit : kLit;
            return image;
        }
        default:
            return nullptr;
    }
}

bool IsIndicator(Pixel p) {
    return ((p >> 8) & 0xFF) > 170 && (p & 0xFF) < 110;
}

bool IsInk(Pixel p) {
    return ((p >> 16) & 0xFF) > 150 && (p & 0xFF) > 150;
}

class SurfacePictureTest : public ::testing::Test {
  protected:
    SurfacePictureTest() : surface(new HeadlessSurface(&core, 200, 120)) {
        surface->SetBitmapLoader(MakeImage);
        surface->SetBackdrop(kBackgroundImage, "img/bg.png");
        const BitmapRef knob = surface->FetchBitmap(kKnobImage, "img/knob.png", 1);
        TextStyle text;
        text.size = 12;
        text.color = ArgbColor{255, 240, 240, 240};
        surface->AddControl(new SpinKnob(&core, {20, 10, 80, 75}, kDepth, knob, text));
        surface->AddControl(new SpinKnob(&core, {100, 10, 160, 75}, kFreq, knob, text));
        auto* button = new IBitmapControl(&core, {160, 95, 190, 111}, kMode,
                                          surface->FetchBitmap(kButtonImage, "img/but.png", 2));
        surface->AddControl(button);
        core.AttachEditor(surface);
        core.ApplyHostParamChange(kDepth, 0.0);
        core.ApplyHostParamChange(kFreq, 1.0);
        core.ApplyHostParamChange(kMode, 1.0);
        surface->OpenInParent(nullptr);
    }
    ~SurfacePictureTest() override { FreeEditorCaches(); }

    Pixel At(int32_t x, int32_t y) const { return test::At(*surface->Canvas(), x, y); }
    bool IndicatorNear(int32_t x, int32_t y) const {
        for (int32_t dy = -2; dy <= 2; ++dy)
            for (int32_t dx = -2; dx <= 2; ++dx)
                if (IsIndicator(At(x + dx, y + dy))) return true;
        return false;
    }
    // The box around the text-coloured pixels within area.
    PixelRect InkIn(const PixelRect& area) const {
        PixelRect ink{area.right, area.bottom, area.left, area.top};
        for (int32_t y = area.top; y < area.bottom; ++y)
            for (int32_t x = area.left; x < area.right; ++x)
                if (IsInk(At(x, y))) ink = Union(ink, {x, y, x + 1, y + 1});
        return ink;
    }

    EditorTestCore core;
    HeadlessSurface* surface;
};

TEST_F(SurfacePictureTest, PaintsWhatTheLayoutImplies) {
    ASSERT_TRUE(surface->Tick());
    const std::string path = TestOutputDir("editor") + "/surface_picture.png";
    EXPECT_TRUE(WriteBitmapPng(*surface->Canvas(), path.c_str())) << path;

    EXPECT_EQ(At(2, 2), kBackground);
    EXPECT_EQ(At(10, 110), kPanel);
    EXPECT_EQ(At(175, 103), kLit) << "the button shows its second frame";

    // Turned by -135 degrees (value 0) and +135 degrees (value 1) about (50, 30) and
    // (130, 30): the indicator points down-left, respectively down-right.
    EXPECT_TRUE(IndicatorNear(50 - 9, 30 + 9));
    EXPECT_FALSE(IndicatorNear(50 + 9, 30 - 9));
    EXPECT_TRUE(IndicatorNear(130 + 9, 30 + 9));
    EXPECT_FALSE(IndicatorNear(130 - 9, 30 + 9));

    // Each value text is centred under its knob, inside its text strip.
    for (int knobLeft : {20, 100}) {
        SCOPED_TRACE(knobLeft);
        const PixelRect strip{knobLeft, 61, knobLeft + 60, 75};
        const PixelRect ink = InkIn(strip);
        ASSERT_LT(ink.left, ink.right) << "no text drawn";
        EXPECT_GT(ink.Width(), 8);
        EXPECT_LE(std::abs((ink.left - strip.left) - (strip.right - ink.right)), 3);
    }
    EXPECT_GT(InkIn({100, 61, 160, 75}).Width(), InkIn({20, 61, 80, 75}).Width())
        << "\"100 %\" is wider than \"0 %\"";
}

TEST_F(SurfacePictureTest, RepaintOfOneKnobTouchesOnlyItsArea) {
    ASSERT_TRUE(surface->Tick());
    ASSERT_TRUE(surface->Tick());
    MemoryBitmap before(200, 120, 4);
    BlitBitmap(&before, surface->Canvas(), 0, 0, nullptr, 1.0f, CombineCopy);
    core.ApplyHostParamChange(kDepth, 0.5);
    ASSERT_TRUE(surface->Tick());
    EXPECT_EQ(surface->lastPresented, (PixelRect{20, 10, 80, 75}));
    int changedOutside = 0, changedInside = 0;
    for (int32_t y = 0; y < 120; ++y)
        for (int32_t x = 0; x < 200; ++x)
            if (At(x, y) != test::At(before, x, y))
                ++(surface->lastPresented.Contains(x, y) ? changedInside : changedOutside);
    EXPECT_EQ(changedOutside, 0);
    EXPECT_GT(changedInside, 0);
    EXPECT_TRUE(IndicatorNear(50, 30 - 12)) << "value 0.5 points straight up";
}

TEST(SurfacePictureWithoutImages, KnobTextsStillPaint) {
    EditorTestCore core;
    auto* surface = new HeadlessSurface(&core, 200, 120);
    surface->SetBitmapLoader([](int) -> RasterBitmap* { return new MemoryBitmap(0, 0, 4); });
    surface->SetBackdrop(kBackgroundImage, "img/bg.png");
    TextStyle text;
    text.size = 12;
    text.color = ArgbColor{255, 240, 240, 240};
    surface->AddControl(new SpinKnob(&core, {20, 10, 80, 75}, kDepth,
                                     surface->FetchBitmap(kKnobImage, "img/knob.png", 1), text));
    core.AttachEditor(surface);
    Fill(*surface->Canvas(), 0xFF000000);
    surface->OpenInParent(nullptr);
    ASSERT_TRUE(surface->Tick());
    int ink = 0;
    for (int32_t y = 0; y < 120; ++y)
        for (int32_t x = 0; x < 200; ++x) ink += IsInk(test::At(*surface->Canvas(), x, y)) ? 1 : 0;
    EXPECT_GT(ink, 10) << "the value text is there without the knob image";
    FreeEditorCaches();
}

}  // namespace
}  // namespace tav::test
