// The base control's behaviour and the two text controls.
#include <cmath>
#include <limits>

#include "tests/editor/editor_fixture.h"

namespace tav::test {
namespace {

const MouseMods kNone{};
const MouseMods kControl{false, false, false, true, false};
const MouseMods kShift{false, false, true, false, false};
const MouseMods kRight{false, true, false, false, false};

using ControlTest = EditorFixture;

TEST_F(ControlTest, ValueChangesAreClampedAndPushed) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* what;
        double start;
        int notches;  // 0: only MarkChanged(true)
        MouseMods mods;
        double expected;
    } cases[] = {
        {"above range", 1.2, 0, kNone, 1.0},
        {"below range", -0.1, 0, kNone, 0.0},
        {"not a number", nan, 0, kNone, 0.0},
        {"three notches", 0.5, 3, kNone, 0.53},
        {"three fine notches (control)", 0.5, 3, kControl, 0.503},
        {"three fine notches (shift)", 0.5, 3, kShift, 0.503},
        {"wheel past the top", 0.99, 3, kNone, 1.0},
        {"wheel below the bottom", 0.01, -5, kNone, 0.0},
    };
    ProbeControl* knob = AddProbe({0, 0, 10, 10}, kDepth, "knob");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        knob->value = c.start;
        knob->needsPaint = false;
        if (c.notches != 0)
            knob->WheelTurned(0, 0, c.mods, c.notches);
        else
            knob->MarkChanged(true);
        EXPECT_NEAR(knob->value, c.expected, 1e-12);
        EXPECT_TRUE(knob->needsPaint);
        EXPECT_NEAR(core.lastAutomatedUnit, c.expected, 1e-12);
        EXPECT_NEAR(core.Param(kDepth)->CurrentUnit(), c.expected, 1e-9);
    }
}

TEST_F(ControlTest, MarkChangedWithoutLinkOrOwnerOnlyClampsAndFlags) {
    ProbeControl* unlinked = AddProbe({0, 0, 10, 10}, -1, "label");
    ProbeControl orphan(nullptr, {0, 0, 10, 10}, kDepth, "orphan", &log);
    for (IControl* control : {static_cast<IControl*>(unlinked), static_cast<IControl*>(&orphan)}) {
        control->value = 3.0;
        control->needsPaint = false;
        control->MarkChanged(true);
        EXPECT_EQ(control->value, 1.0);
        EXPECT_TRUE(control->needsPaint);
    }
    EXPECT_EQ(core.automations, 0);
}

TEST_F(ControlTest, FirstHostValueBecomesTheDoubleClickDefault) {
    ProbeControl* knob = AddProbe({0, 0, 10, 10}, kDepth, "knob");
    knob->value = 0.7;
    knob->MouseDoubleClicked(0, 0, kNone);
    EXPECT_EQ(knob->value, 0.7) << "no default known yet";

    knob->ApplyHostValue(0.25);
    knob->ApplyHostValue(0.6);
    EXPECT_EQ(knob->defaultValue, 0.25);
    EXPECT_EQ(knob->value, 0.6);
    knob->MouseDoubleClicked(0, 0, kNone);
    EXPECT_EQ(knob->value, 0.25);
    EXPECT_NEAR(core.Param(kDepth)->CurrentUnit(), 0.25, 1e-9);
}

TEST_F(ControlTest, HostValueAlreadyHeldChangesNoFlag) {
    ProbeControl* knob = AddProbe({0, 0, 10, 10}, kDepth, "knob");
    knob->ApplyHostValue(0.4);
    EXPECT_TRUE(knob->needsPaint);
    EXPECT_TRUE(knob->paintAgain);
    knob->needsPaint = knob->paintAgain = false;
    knob->ApplyHostValue(0.4);
    EXPECT_FALSE(knob->needsPaint);
    EXPECT_FALSE(knob->paintAgain);
    EXPECT_EQ(core.automations, 0) << "host values never echo back";
}

TEST_F(ControlTest, GreyingSetsTheBlendWeight) {
    ProbeControl* knob = AddProbe({0, 0, 10, 10}, kDepth, "knob");
    knob->blend.weight = 0.6f;
    knob->SetGreyed(true);
    EXPECT_EQ(knob->blend.weight, 0.25f);
    knob->SetGreyed(false);
    EXPECT_EQ(knob->blend.weight, 1.0f);
}

TEST_F(ControlTest, HitTestExcludesRightAndBottomEdges) {
    ProbeControl* knob = AddProbe({10, 20, 30, 40}, kDepth, "knob");
    knob->hitRect = {10, 20, 30, 40};
    const struct {
        int x, y;
        bool hit;
    } cases[] = {{10, 20, true},  {29, 39, true}, {30, 25, false},
                 {15, 40, false}, {9, 25, false}, {15, 19, false}};
    for (const auto& c : cases) EXPECT_EQ(knob->HitTest(c.x, c.y), c.hit) << c.x << "," << c.y;
}

TEST_F(ControlTest, KnobDragFollowsGearing) {
    struct Case {
        const char* what;
        PixelRect rect;
        int direction;
        int dx, dy;
        MouseMods mods;
        double gained;
    } cases[] = {
        {"up 40 of 100 at gearing 4", {0, 0, 50, 100}, 0, 0, -40, kNone, 0.1},
        {"fine with control", {0, 0, 50, 100}, 0, 0, -40, kControl, 0.01},
        {"fine with shift", {0, 0, 50, 100}, 0, 0, -40, kShift, 0.01},
        {"down lowers", {0, 0, 50, 100}, 0, 0, 20, kNone, -0.05},
        {"horizontal right", {0, 0, 100, 50}, 1, 40, 0, kNone, 0.1},
        {"flat rectangle stays", {0, 0, 50, 0}, 0, 0, -40, kNone, 0.0},
    };
    ProbeControl* knob = AddProbe({}, kDepth, "knob");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        knob->rect = c.rect;
        knob->value = 0.5;
        KnobDragRule{4.0, c.direction}.Apply(*knob, c.dx, c.dy, c.mods);
        EXPECT_NEAR(knob->value, 0.5 + c.gained, 1e-12);
    }
}

TEST_F(ControlTest, EntryRequestsNeedALinkAndNoVeto) {
    ProbeControl* knob = AddProbe({0, 0, 10, 10}, kFreq, "knob");
    ProbeControl* label = AddProbe({0, 0, 10, 10}, -1, "label");
    label->MousePressed(0, 0, kRight);
    knob->entryDisabled = true;
    knob->MousePressed(0, 0, kRight);
    EXPECT_TRUE(surface->calls.empty());

    knob->entryDisabled = false;
    knob->MousePressed(0, 0, kNone);
    EXPECT_TRUE(surface->calls.empty()) << "left press";
    knob->MousePressed(0, 0, kRight);
    EXPECT_EQ(surface->calls, std::vector<std::string>{"value entry 0"});
    EXPECT_EQ(surface->EntryParam(), core.Param(kFreq));
    EXPECT_TRUE(knob->paintAgain);
}

TEST_F(ControlTest, EnteredValueAndClosedEntryAlwaysPush) {
    ProbeControl* knob = AddProbe({0, 0, 10, 10}, kDepth, "knob");
    knob->value = 0.3;
    knob->entryOpen = true;
    knob->ApplyEnteredValue(0.3);
    EXPECT_FALSE(knob->entryOpen);
    EXPECT_EQ(core.automations, 1);
    knob->FinishEntry();
    EXPECT_EQ(core.automations, 2);
    EXPECT_TRUE(knob->paintAgain);
}

TEST_F(ControlTest, BitmapFrameFollowsValue) {
    const struct {
        int frames;
        double value;
        int frame;
    } cases[] = {{1, 0.9, 1}, {0, 0.9, 1}, {3, 0.0, 1}, {3, 0.24, 1}, {3, 0.25, 2},
                 {3, 0.5, 2}, {3, 1.0, 3}, {3, 7.0, 3}, {3, -1.0, 1}, {3, std::nan(""), 1}};
    for (const auto& c : cases) {
        BitmapRef ref;
        ref.frames = c.frames;
        IBitmapControl control(nullptr, {}, -1, ref);
        EXPECT_EQ(control.FrameFor(c.value), c.frame) << c.frames << " frames at " << c.value;
    }
}

TEST_F(ControlTest, SetTextMarksOnlyOnChange) {
    auto* text = new ITextControl(&core, {0, 0, 50, 10}, TextStyle{}, "Freq");
    surface->AddControl(text);
    text->needsPaint = false;
    text->SetText("Freq");
    EXPECT_FALSE(text->needsPaint);
    text->SetText("Frequency");
    EXPECT_TRUE(text->needsPaint);
    EXPECT_STREQ(text->Text(), "Frequency");
    text->SetText(nullptr);
    EXPECT_STREQ(text->Text(), "");
}

TEST_F(ControlTest, PasswordTextPaintsAtMost254Asterisks) {
    BoxFont font;
    TextStyle style;
    style.cachedFont = &font;
    const struct {
        size_t length;
        size_t painted;
    } cases[] = {{5, 5}, {254, 254}, {300, 254}};
    for (const auto& c : cases) {
        auto* secret =
            new IEditableTextControl(&core, {0, 0, 100, 10}, style,
                                     std::string(c.length, 'x').c_str(), ArgbColor{0}, true, true);
        surface->AddControl(secret);
        surface->PaintRegion({0, 0, 520, 335});
        EXPECT_EQ(font.lastText, std::string(c.painted, '*'));
        secret->SetHidden(true);
    }
}

TEST_F(ControlTest, EditableTextOpensEntryUnlessDisabled) {
    auto* field = new IEditableTextControl(&core, {0, 0, 100, 10}, TextStyle{}, "name",
                                           ArgbColor{0}, true, false);
    surface->AddControl(field);
    field->entryDisabled = true;
    field->MousePressed(1, 1, kNone);
    EXPECT_TRUE(surface->calls.empty());
    field->entryDisabled = false;
    field->MousePressed(1, 1, kNone);
    EXPECT_EQ(surface->calls, std::vector<std::string>{"text entry"});
    EXPECT_TRUE(field->paintAgain);
}

}  // namespace
}  // namespace tav::test
