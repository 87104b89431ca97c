// The effect's face on the headless surface: every control where the layout puts it,
// driven by input at the layout's coordinates and read back from the canvas.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "editor/text_controls.h"
#include "effect/knob_control.h"
#include "effect/label_controls.h"
#include "effect/phaser_params.h"
#include "effect/switch_controls.h"
#include "tests/editor/editor_fixture.h"
#include "tests/effect/editor_face_util.h"

namespace tav {
namespace {

using test::CountDiffering;

class EditorLayoutTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(effect.Editor(), nullptr);
        ASSERT_NE(skin.background, nullptr);
        Repaint();
    }
    void TearDown() override { FreeEditorCaches(); }

    HeadlessSurface& Surface() { return effect.Surface(); }
    const RasterBitmap& Canvas() { return *Surface().Canvas(); }
    void Repaint() { Surface().RepaintChanged(); }
    IControl* ControlFor(int paramIndex) {
        for (int i = 0; i < Surface().ControlCount(); ++i)
            if (Surface().Control(i)->paramIndex == paramIndex) return Surface().Control(i);
        return nullptr;
    }
    double Unit(int index) { return effect.Param(index)->CurrentUnit(); }
    void Click(int x, int y, MouseMods mods = {true}) {
        Surface().PressAt(x, y, mods);
        Surface().ReleaseAt(x, y, mods);
        Repaint();
    }
    int DiffersFromBackground(const PixelRect& area) {
        return CountDiffering(Canvas(), *skin.background, area);
    }

    test::FaceEffect effect;
    test::Skin skin;
};

TEST_F(EditorLayoutTest, ControlsSitWhereTheFaceExpectsThem) {
    struct Expected {
        int paramIndex;
        PixelRect rect;
    };
    const Expected expected[] = {
        {-1, {0, 0, 520, 335}},     {-1, {45, 12, 95, 30}},    {-1, {164, 15, 356, 62}},
        {12, {446, 305, 508, 321}}, {0, {26, 127, 76, 198}},   {1, {57, 226, 107, 297}},
        {2, {90, 127, 140, 198}},   {3, {154, 127, 204, 198}}, {4, {122, 226, 172, 297}},
        {5, {316, 127, 366, 198}},  {6, {347, 226, 397, 297}}, {7, {380, 127, 430, 198}},
        {8, {444, 127, 494, 198}},  {9, {412, 226, 462, 297}}, {10, {223, 140, 297, 212}},
        {11, {223, 227, 297, 262}},
    };
    ASSERT_EQ(Surface().ControlCount(), std::size(expected));
    for (int i = 0; i < Surface().ControlCount(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Surface().Control(i)->paramIndex, expected[i].paramIndex);
        EXPECT_EQ(Surface().Control(i)->rect, expected[i].rect);
    }
    auto* accent = dynamic_cast<IRadioButtons*>(ControlFor(ParamAccent));
    ASSERT_NE(accent, nullptr);
    EXPECT_EQ(
        accent->optionRects,
        (std::vector<PixelRect>{{223, 140, 297, 164}, {223, 164, 297, 188}, {223, 188, 297, 212}}));
}

TEST_F(EditorLayoutTest, TextsReadAsAtTheDefaults) {
    const char* const expected[ParamCount] = {"2500Hz", "60%", "30%", "1/2", "80%",
                                              "2500Hz", "60%", "30%", "1/2", "80%"};
    for (const KnobPlacement& k : kKnobPlacements) {
        auto* knob = dynamic_cast<IKnobRotVal*>(ControlFor(k.paramIndex));
        ASSERT_NE(knob, nullptr);
        EXPECT_EQ(knob->PaintedText(), expected[k.paramIndex]);
        EXPECT_GT(DiffersFromBackground(knob->TextStrip()), 20) << "strip " << k.paramIndex;
    }
    auto* version = dynamic_cast<ITextControl*>(Surface().Control(1));
    ASSERT_NE(version, nullptr);
    EXPECT_STREQ(version->Text(), "v1.00");
    EXPECT_GT(DiffersFromBackground(kVersionRect), 10);
    EXPECT_STREQ(dynamic_cast<ILabelPrm*>(ControlFor(ParamBypassCeil))->PaintedText(), "bypass");
    // The title box paints nothing of its own.
    EXPECT_EQ(DiffersFromBackground(kTitleRect), 0);
}

// A value text fills the last rows of its knob, as many as the text's size. The box
// font inks exactly the rows it is given, wherever a real font puts its glyphs.
TEST_F(EditorLayoutTest, KnobTextsFillTheLastRowsOfTheirKnobs) {
    test::BoxFont box;
    box.size = 15;
    for (const KnobPlacement& k : kKnobPlacements)
        dynamic_cast<IKnobRotVal&>(*ControlFor(k.paramIndex)).textStyle.cachedFont = &box;
    Surface().MarkAllChanged();
    Repaint();
    for (const KnobPlacement& k : kKnobPlacements) {
        SCOPED_TRACE(k.paramIndex);
        const auto& knob = dynamic_cast<const IKnobRotVal&>(*ControlFor(k.paramIndex));
        const PixelRect& r = knob.rect;
        const std::pair rows{r.bottom - 15, r.bottom};
        EXPECT_EQ(std::pair(knob.TextStrip().top, knob.TextStrip().bottom), rows);
        // Below the knob's image only its text differs from the background.
        std::vector<int> inkRows;
        for (int y = k.centreY + 25; y < r.bottom + 3; ++y)
            if (DiffersFromBackground({r.left, y, r.right, y + 1}) > 0) inkRows.push_back(y);
        ASSERT_FALSE(inkRows.empty());
        EXPECT_EQ(std::pair(inkRows.front(), inkRows.back() + 1), rows);
    }
}

TEST_F(EditorLayoutTest, KnobsFollowDragsAtTheirCentres) {
    for (const KnobPlacement& k : kKnobPlacements) {
        SCOPED_TRACE(k.paramIndex);
        const double before = Unit(k.paramIndex);
        const PixelRect area{k.centreX - 25, k.centreY - 25, k.centreX + 25, k.centreY + 46};
        Surface().PressAt(k.centreX, k.centreY, {true});
        // Up by one knob height: a quarter of the range.
        Surface().DragTo(k.centreX, k.centreY - 71, {true});
        Surface().ReleaseAt(k.centreX, k.centreY - 71, {true});
        EXPECT_GT(Unit(k.paramIndex), before + 0.1);
        const std::unique_ptr<MemoryBitmap> old = test::CopyOf(Canvas());
        Repaint();
        EXPECT_GT(CountDiffering(Canvas(), *old, area), 20);
    }
}

TEST_F(EditorLayoutTest, SwitchesLightWhereClicked) {
    const PixelRect mirror{223, 227, 297, 262};
    struct Step {
        int x, y, param, value;
    };
    // Row 164 is the edge the first two options share: it belongs to the second.
    for (const Step c : {Step{260, 152, ParamAccent, 0}, Step{260, 200, ParamAccent, 2},
                         Step{260, 164, ParamAccent, 1}, Step{260, 240, ParamFilterMirror, 0},
                         Step{260, 240, ParamFilterMirror, 1}}) {
        SCOPED_TRACE(c.y);
        Click(c.x, c.y);
        EXPECT_EQ(effect.Param(c.param)->value, c.value);
        for (int i = 0; i < 3; ++i) {
            const PixelRect r{223, 140 + 24 * i, 297, 164 + 24 * i};
            const int lit = static_cast<int>(effect.Param(ParamAccent)->value);
            EXPECT_EQ(i == lit ? CountDiffering(Canvas(), r, *skin.options, 0, 24 * i)
                               : DiffersFromBackground(r),
                      0);
        }
        EXPECT_EQ(effect.Param(ParamFilterMirror)->value > 0
                      ? CountDiffering(Canvas(), mirror, *skin.mirror, 0, 0)
                      : DiffersFromBackground(mirror),
                  0);
    }
}

// Hosts record automation only inside a gesture: a click's value reaches them
// between its begin and end.
TEST_F(EditorLayoutTest, ClicksAutomateInsideTheirGesture) {
    struct Case {
        const char* what;
        int x, y, param;
    } cases[] = {
        {"mirror button", 260, 240, ParamFilterMirror},
        {"accent option", 260, 200, ParamAccent},
        {"threshold label", 470, 313, ParamBypassCeil},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        effect.events.clear();
        Surface().PressAt(c.x, c.y, {true});
        Surface().ReleaseAt(c.x, c.y, {true});
        const std::string n = std::to_string(c.param);
        EXPECT_EQ(effect.events,
                  (std::vector<std::string>{"begin " + n, "automate " + n, "end " + n}));
    }
}

TEST_F(EditorLayoutTest, ThresholdLabelOpensTheEntryAndTitleOpensThePage) {
    auto* label = dynamic_cast<ILabelPrm*>(ControlFor(ParamBypassCeil));
    ASSERT_NE(label, nullptr);
    const std::unique_ptr<MemoryBitmap> idle = test::CopyOf(Canvas());
    Click(470, 313);
    EXPECT_EQ(test::CallsOf(Surface(), "value entry ").size(), 1u);
    EXPECT_STREQ(label->PaintedText(), "dB");
    EXPECT_GT(CountDiffering(Canvas(), *idle, kThresholdLabelRect), 10);
    Surface().CancelEntry();
    Surface().Tick();
    EXPECT_STREQ(label->PaintedText(), "bypass");
    EXPECT_EQ(CountDiffering(Canvas(), *idle, kThresholdLabelRect), 0);

    for (const auto& [x, y] : {std::pair{164, 15}, std::pair{355, 61}, std::pair{260, 40}})
        Click(x, y);
    Click(163, 40);
    Click(260, 62);
    ASSERT_EQ(test::CallsOf(Surface(), "web ").size(), 3u);
    EXPECT_EQ(test::CallsOf(Surface(), "web ")[0], "https://qorva.audio/Tavrellion");
}

}  // namespace
}  // namespace tav
