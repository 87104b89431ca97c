// The effect's own controls, each alone on the headless surface: geometry, how they
// turn input into values, and what they paint.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "effect/knob_control.h"
#include "effect/label_controls.h"
#include "effect/phaser_params.h"
#include "effect/switch_controls.h"
#include "tests/effect/editor_face_util.h"
#include "tests/support/core_lock_probe.h"

namespace tav {
namespace {

using test::CountDiffering;
using test::LockFree;

BitmapRef Sized(int width, int height, int frames) {
    return BitmapRef{nullptr, width, height, frames};
}

TEST(KnobGeometryTest, RectangleFollowsImageWidthAndTextGap) {
    struct Case {
        BitmapRef image;
        int width, gap;
        PixelRect rect;
    };
    TextStyle style;
    style.size = 15;
    const Case cases[] = {
        {Sized(50, 50, 1), 0, 6, {75, 75, 125, 146}},   // the editor's knobs
        {Sized(50, 50, 1), 40, 6, {80, 75, 120, 146}},  // width given
        {Sized(50, 50, 1), 0, -4, {75, 75, 125, 125}},  // strip inside the image
        {Sized(100, 51, 2), 0, 0, {75, 74, 125, 126}},  // two frames; 25.5 rounds up
        {Sized(31, 31, 1), 0, 6, {84, 84, 116, 137}},
    };
    for (const Case& c : cases) {
        IKnobRotVal knob(nullptr, -1, 100, 100, c.image, style, c.gap, 300, 4.0, c.width, 0, 1.0f,
                         true, 0);
        EXPECT_EQ(knob.rect, c.rect) << c.image.width << "x" << c.image.height << " gap " << c.gap;
        EXPECT_EQ(knob.hitRect, c.rect);
    }
}

// One control of the effect's kind alone over the editor's background.
class ControlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(skin.background, nullptr);
        surface.SetBackdrop(SkinBackground, "img/bg.png");
        surface.CreateCanvas();
    }
    void TearDown() override { FreeEditorCaches(); }

    template <class C>
    C* Add(C* control) {
        surface.AddControl(control);
        return control;
    }
    void Paint() { surface.PaintRegion(PixelRect{0, 0, kEditorWidth, kEditorHeight}); }
    const RasterBitmap& Canvas() { return *surface.Canvas(); }
    int DiffersFromBackground(const PixelRect& area) {
        return CountDiffering(Canvas(), *skin.background, area);
    }
    // Direction from the knob centre to the centroid of what differs from the
    // background, in degrees clockwise from straight up.
    double InkDirection(int cx, int cy) {
        double sx = 0, sy = 0, n = 0;
        for (int y = cy - 25; y < cy + 25; ++y)
            for (int x = cx - 25; x < cx + 25; ++x)
                if (CountDiffering(Canvas(), *skin.background, PixelRect{x, y, x + 1, y + 1}) != 0)
                    sx += x + 0.5 - cx, sy += y + 0.5 - cy, ++n;
        EXPECT_GT(n, 0);
        return std::atan2(sx, -sy) * 180 / std::numbers::pi;
    }
    IKnobRotVal* AddKnob(int paramIndex, int textSize = 15) {
        TextStyle style;
        style.size = textSize;
        style.color = ArgbColor{255, 255, 255, 255};
        const BitmapRef image = surface.FetchBitmap(SkinKnob, "img/knob.png", 1);
        return Add(new IKnobRotVal(&core, paramIndex, 100, 100, image, style, 6, 300, 4.0, 0, 0,
                                   1.0f, true, 0));
    }

    PhaserEffect<test::RecordingHost> core;  // no editor of its own
    HeadlessSurface surface{&core, kEditorWidth, kEditorHeight, 0};
    test::Skin skin;
};

TEST_F(ControlTest, KnobPointsUpAtTheCentreAndTurnsToEitherEnd) {
    IKnobRotVal* knob = AddKnob(-1);
    struct Case {
        double value, degrees;
        float shift;  // of the source, in pixels up and left
    };
    for (const Case c : {Case{0.5, 0, 0.0f}, Case{1.0, 150, -1.0f}, Case{0.0, -150, -1.0f},
                         Case{0.25, -75, -0.5f}}) {
        SCOPED_TRACE(c.value);
        EXPECT_NEAR(IKnobRotVal::AngleFor(c.value, 300) * 180 / std::numbers::pi, c.degrees, 1e-4);
        EXPECT_EQ(IKnobRotVal::SourceShiftFor(c.value), c.shift);
        knob->value = c.value;
        Paint();
        EXPECT_NEAR(InkDirection(100, 100), c.degrees, 8);
    }
    // At the centre: unrotated and unshifted, the image exactly where a plain copy puts it.
    knob->value = 0.5;
    Paint();
    HeadlessSurface plain{&core, kEditorWidth, kEditorHeight, 0};
    plain.SetBackdrop(SkinBackground, "img/bg.png");
    plain.CreateCanvas();
    plain.PaintRegion(PixelRect{0, 0, kEditorWidth, kEditorHeight});
    const BitmapRef image = plain.FetchBitmap(SkinKnob, "img/knob.png", 1);
    plain.BlitOffset(image, PixelRect{75, 75, 125, 125}, 0, 0, nullptr);
    EXPECT_EQ(CountDiffering(Canvas(), *plain.Canvas(), PixelRect{75, 75, 125, 125}), 0);
}

TEST_F(ControlTest, KnobWithoutTextStillPaintsItsImage) {
    struct Case {
        int paramIndex;
        int textSize;
    };
    // No parameter gives no text; a text size of 0 hides it.
    for (const Case c : {Case{-1, 15}, Case{ParamFreqLeft, 0}}) {
        IKnobRotVal* knob = AddKnob(c.paramIndex, c.textSize);
        Paint();
        EXPECT_EQ(DiffersFromBackground(PixelRect{75, 131, 125, 146}), 0);
        EXPECT_GT(DiffersFromBackground(PixelRect{75, 75, 125, 125}), 10);
        knob->SetHidden(true);
    }
}

// Resource 500: a two-frame knob, frames side by side. The first frame turns (a dot
// near its top edge); the last, a red square at its centre, is its fixed face.
RasterBitmap* TwoFrameKnob(int resourceNumber) {
    if (resourceNumber != 500) return nullptr;
    auto* image = new MemoryBitmap(100, 50, 4);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 100; ++x) {
            Pixel p = 0;
            if (x >= 22 && x < 28 && y >= 4 && y < 10) p = 0xFFFFFFFF;
            if (x >= 70 && x < 80 && y >= 20 && y < 30) p = 0xFFFF0000;
            image->Pixels()[y * image->RowPitch() + x] = p;
        }
    return image;
}

TEST_F(ControlTest, MultiFrameKnobTurnsItsFirstFrameUnderItsLast) {
    surface.SetBitmapLoader(&TwoFrameKnob);
    TextStyle style;
    style.size = 15;
    IKnobRotVal* knob =
        Add(new IKnobRotVal(&core, -1, 100, 100, surface.FetchBitmap(500, "knob2.png", 2), style, 6,
                            300, 4.0, 0, 0, 1.0f, true, 0));
    EXPECT_EQ(knob->rect, (PixelRect{75, 75, 125, 146}));
    for (const auto& [value, degrees] : {std::pair{1.0, 150.0}, std::pair{0.0, -150.0}}) {
        SCOPED_TRACE(value);
        knob->value = value;
        Paint();
        EXPECT_NEAR(InkDirection(100, 100), degrees, 8);
        EXPECT_EQ(test::PixelAt(Canvas(), 100, 100), 0xFFFF0000u);
        EXPECT_EQ(test::PixelAt(Canvas(), 96, 104), 0xFFFF0000u);
    }
    EXPECT_EQ(knob->spinCache.width, 50);  // one frame, cut out once
}

TEST_F(ControlTest, KnobSnapsToStepsOnRelease) {
    TextStyle style;
    IKnobRotVal knob(&core, ParamWetLeft, 100, 100, Sized(50, 50, 1), style, 6, 300, 4.0, 0, 0,
                     1.0f, true, 5);
    struct Case {
        double before, after;
    };
    for (const Case c : {Case{0.1, 0.0}, Case{0.13, 0.25}, Case{0.62, 0.5}, Case{0.9, 1.0}}) {
        knob.value = c.before;
        knob.MouseReleased(0, 0, {});
        EXPECT_DOUBLE_EQ(knob.value, c.after) << c.before;
        EXPECT_DOUBLE_EQ(core.Param(ParamWetLeft)->CurrentUnit(), c.after);
    }
}

TEST_F(ControlTest, ButtonShowsItsImageOnlyAboveHalf) {
    const BitmapRef lit = surface.FetchBitmap(SkinMirrorButton, "img/but.png", 1);
    IButton* button = Add(new IButton(&core, -1, 223, 227, lit));
    EXPECT_EQ(button->rect, (PixelRect{223, 227, 297, 262}));
    for (const auto& [value, on] : {std::pair{0.0, false}, std::pair{0.5, false},
                                    std::pair{0.5000001, true}, std::pair{1.0, true}}) {
        SCOPED_TRACE(value);
        button->value = value;
        Paint();
        if (on)
            EXPECT_EQ(CountDiffering(Canvas(), button->rect, *skin.mirror, 0, 0), 0);
        else
            EXPECT_EQ(DiffersFromBackground(button->rect), 0);
    }
}

TEST_F(ControlTest, ButtonTogglesOnLeftAndResendsOnRight) {
    IButton button(&core, ParamFilterMirror, 0, 0, Sized(74, 35, 1));
    button.value = 1.0;
    struct Step {
        bool right;
        double value;
    };
    int automations = core.automations;
    for (const Step s : {Step{false, 0.0}, Step{true, 0.0}, Step{false, 1.0}, Step{false, 0.0}}) {
        MouseMods mods;
        (s.right ? mods.right : mods.left) = true;
        button.MousePressed(10, 10, mods);
        EXPECT_EQ(button.value, s.value);
        EXPECT_EQ(core.automations, ++automations);
    }
    EXPECT_EQ(test::CallsOf(surface, "value entry ").size(), 0u);
}

TEST(RadioLayoutTest, OptionsFollowOrientationAndSplit) {
    struct Case {
        BitmapRef image;
        bool split;
        int horizontal, size1, size2, size3;
        PixelRect rect;
        std::vector<PixelRect> options;
    };
    const Case cases[] = {
        {Sized(74, 72, 3),
         true,
         0,
         0,
         0,
         0,
         {223, 140, 297, 212},  // the editor's group
         {{223, 140, 297, 164}, {223, 164, 297, 188}, {223, 188, 297, 212}}},
        {Sized(90, 20, 3),
         true,
         1,
         0,
         0,
         0,
         {0, 0, 90, 20},
         {{0, 0, 30, 20}, {30, 0, 60, 20}, {60, 0, 90, 20}}},
        {Sized(90, 20, 3),
         true,
         1,
         20,
         30,
         0,
         {0, 0, 90, 20},
         {{0, 0, 20, 20}, {20, 0, 50, 20}, {50, 0, 90, 20}}},
        {Sized(20, 90, 3),
         true,
         0,
         0,
         50,
         0,
         {0, 0, 20, 90},
         {{0, 0, 20, 30}, {0, 30, 20, 80}, {0, 80, 20, 90}}},
        {Sized(10, 12, 3),
         false,
         0,
         0,
         0,
         0,
         {0, 0, 10, 36},
         {{0, 0, 10, 12}, {0, 12, 10, 24}, {0, 24, 10, 36}}},
        {Sized(10, 12, 2), false, 1, 0, 0, 0, {0, 0, 20, 12}, {{0, 0, 10, 12}, {10, 0, 20, 12}}},
    };
    for (const Case& c : cases) {
        const int x = c.rect.left, y = c.rect.top;
        IRadioButtons radio(nullptr, -1, x, y, c.image, c.split, c.horizontal, c.size1, c.size2,
                            c.size3);
        EXPECT_EQ(radio.rect, c.rect);
        EXPECT_EQ(radio.optionRects, c.options);
        EXPECT_EQ(radio.verticalLayout, c.horizontal == 0);
    }
}

TEST(RadioLayoutTest, ValueLightsTheNearestOption) {
    IRadioButtons radio(nullptr, -1, 0, 0, Sized(74, 72, 3), true, 0, 0, 0, 0);
    for (const auto& [value, option] :
         {std::pair{0.0, 0}, std::pair{0.24, 0}, std::pair{0.25, 1}, std::pair{0.74, 1},
          std::pair{0.75, 2}, std::pair{1.0, 2}, std::pair{-0.3, 0}, std::pair{7.0, 2}})
        EXPECT_EQ(radio.LitOption(value), option) << value;
    IRadioButtons single(nullptr, -1, 0, 0, Sized(10, 10, 1), true, 0, 0, 0, 0);
    single.MousePressed(5, 5, {true});
    EXPECT_EQ(single.value, 0.0);  // one option: no division by zero
}

TEST_F(ControlTest, RadioPaintsOnlyTheLitOptionAndSelectsByClick) {
    const BitmapRef options = surface.FetchBitmap(SkinAccentOptions, "img/radio.png", 3);
    IRadioButtons* radio =
        Add(new IRadioButtons(&core, ParamAccent, 223, 140, options, true, 0, 0, 0, 0));
    radio->value = 0.74;
    Paint();
    EXPECT_EQ(CountDiffering(Canvas(), radio->optionRects[1], *skin.options, 0, 24), 0);
    EXPECT_EQ(DiffersFromBackground(radio->optionRects[0]), 0);
    EXPECT_EQ(DiffersFromBackground(radio->optionRects[2]), 0);

    struct Click {
        int y;
        MouseMods mods;
        double value;
    };
    // Top edges belong to their option; a click between options keeps the value;
    // a right click asks for typed entry and keeps it too.
    for (const Click c : {Click{164, {true}, 0.5}, Click{163, {true}, 0.0}, Click{211, {true}, 1.0},
                          Click{212, {true}, 1.0}, Click{150, {false, true}, 1.0}}) {
        radio->MousePressed(230, c.y, c.mods);
        EXPECT_EQ(radio->value, c.value) << c.y;
    }
    EXPECT_EQ(test::CallsOf(surface, "value entry ").size(), 1u);
}

TEST_F(ControlTest, LabelShowsItsActiveTextWhileTheEntryIsOpen) {
    TextStyle style;
    style.size = 13;
    style.align = 2;
    ILabelPrm* label = Add(new ILabelPrm(&core, PixelRect{446, 305, 508, 321}, ParamBypassCeil,
                                         style, style, "bypass", "dB"));
    EXPECT_EQ(label->TextRect().top, 307);
    struct Step {
        MouseMods mods;
        bool finish;  // the entry box closes before the paint
        const char* text;
        size_t entries;
    };
    // A second left click while the box is open only restores the idle text.
    for (const Step s : {Step{{true}, false, "dB", 1}, Step{{true}, false, "bypass", 1},
                         Step{{true}, true, "bypass", 1}, Step{{false, true}, false, "dB", 2},
                         Step{{}, false, "bypass", 2}}) {
        label->MousePressed(470, 313, s.mods);
        if (s.finish) {
            surface.CancelEntry();
            surface.Tick();
        }
        label->CapturePaintState();
        EXPECT_STREQ(label->PaintedText(), s.text);
        EXPECT_EQ(test::CallsOf(surface, "value entry ").size(), s.entries);
    }
    EXPECT_TRUE(label->entryOpen);  // the box of the last request is still open

    // Another label finds that box open: no box of its own, so it stays idle.
    ILabelPrm* other = Add(new ILabelPrm(&core, PixelRect{446, 285, 508, 301}, ParamBypassCeil,
                                         style, style, "bypass", "dB"));
    other->MousePressed(470, 293, MouseMods{true});
    other->CapturePaintState();
    EXPECT_STREQ(other->PaintedText(), "bypass");
    EXPECT_FALSE(other->entryOpen);
}

// Making a native box takes its time: a click opens it after leaving the core lock.
TEST_F(ControlTest, ValueBoxesOpenOutsideTheCoreLock) {
    TextStyle style;
    ILabelPrm* label = Add(new ILabelPrm(&core, PixelRect{446, 305, 508, 321}, ParamBypassCeil,
                                         style, style, "bypass", "dB"));
    std::vector<bool> lockFree;
    surface.onValueEntry = [&] { lockFree.push_back(LockFree(core)); };
    surface.PressAt(470, 313, {true});
    label->CapturePaintState();
    EXPECT_STREQ(label->PaintedText(), "dB");
    surface.CancelEntry();
    surface.Tick();
    AddKnob(ParamFreqLeft);
    surface.PressAt(100, 100, {false, true});
    EXPECT_EQ(test::CallsOf(surface, "value entry ").size(), 2u);
    EXPECT_EQ(lockFree, std::vector<bool>(2, true));
}

TEST_F(ControlTest, TitleAreaOpensTheProductPageWithAnyButtonOutsideTheCoreLock) {
    IURLOpen* link = Add(new IURLOpen(&core, PixelRect{164, 15, 356, 62}));
    // A browser that is slow to start, or a modal error box, must not hold up the audio.
    std::vector<bool> lockFree;
    surface.onWebPage = [&] { lockFree.push_back(LockFree(core)); };
    surface.PressAt(200, 20, {true});
    surface.ReleaseAt(200, 20, {});
    surface.DoubleClickAt(200, 20, {true});
    surface.PressAt(200, 20, {false, true});
    surface.PressAt(200, 20, {});
    ASSERT_EQ(test::CallsOf(surface, "web ").size(), 3u);
    EXPECT_EQ(test::CallsOf(surface, "web ")[0], "https://qorva.audio/Tavrellion");
    EXPECT_EQ(lockFree, std::vector<bool>(3, true));
    Paint();
    EXPECT_EQ(DiffersFromBackground(link->rect), 0);
}

}  // namespace
}  // namespace tav
