// Routing of mouse, wheel, key and entry events, the value flow both ways, change
// collection and the draw pass.
#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

#include "core/effect_core.h"
#include "tests/editor/editor_fixture.h"
#include "tests/support/core_lock_probe.h"

namespace tav::test {
namespace {

const MouseMods kLeft{true, false, false, false, false};
const MouseMods kRight{false, true, false, false, false};

class SurfaceEventTest : public EditorFixture {
  protected:
    // A background, a knob and a button overlapping it on top.
    SurfaceEventTest() {
        back = AddProbe({0, 0, 520, 335}, -1, "back");
        knob = AddProbe({10, 10, 60, 60}, kDepth, "knob");
        button = AddProbe({40, 40, 100, 100}, kMode, "button");
        Settle();
        core.events.clear();
    }
    ProbeControl* back;
    ProbeControl* knob;
    ProbeControl* button;
};

TEST_F(SurfaceEventTest, HitsTheTopmostVisibleEnabledControl) {
    struct Case {
        const char* what;
        int x, y;
        bool hideButton, greyButton;
        int expected;
    } cases[] = {
        {"overlap goes to the later control", 50, 50, false, false, 2},
        {"hidden control is skipped", 50, 50, true, false, 1},
        {"greyed control is skipped", 50, 50, false, true, 1},
        {"background is a candidate", 300, 300, false, false, 0},
        {"outside everything", 600, 20, false, false, -1},
        {"right edge is outside", 60, 20, false, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        button->hidden = c.hideButton;
        button->greyed = c.greyButton;
        EXPECT_EQ(surface->ControlAt(c.x, c.y), c.expected);
        surface->PressAt(c.x, c.y, kLeft);
        surface->ReleaseAt(c.x, c.y, kLeft);
    }
}

TEST_F(SurfaceEventTest, PressCapturesUntilRelease) {
    surface->PressAt(20, 20, kLeft);
    surface->DragTo(20, 20, kLeft);  // no movement: nothing
    surface->DragTo(70, 80, kLeft);  // over the button, still the knob's
    surface->DragTo(70, 80, kLeft);
    surface->DragTo(65, 70, kLeft);
    surface->ReleaseAt(300, 300, kLeft);
    surface->DragTo(10, 10, kLeft);  // no capture any more
    EXPECT_EQ(log, (std::vector<std::string>{"press knob", "drag knob 50 60", "drag knob -5 -10",
                                             "release knob"}));
    EXPECT_EQ(core.events.front(), "begin 2");
    EXPECT_EQ(core.events.back(), "end 2");
    EXPECT_EQ(surface->CaptureIndex(), -1);
}

TEST_F(SurfaceEventTest, DragBetweenFarApartPositionsSaturates) {
    const int lowest = std::numeric_limits<int>::min(), highest = std::numeric_limits<int>::max();
    surface->PressAt(20, 20, kLeft);
    surface->DragTo(lowest, highest, kLeft);
    surface->DragTo(highest, lowest, kLeft);
    surface->ReleaseAt(20, 20, kLeft);
    EXPECT_EQ(log[1], "drag knob " + std::to_string(lowest) + " " + std::to_string(highest - 20));
    EXPECT_EQ(log[2], "drag knob " + std::to_string(highest) + " " + std::to_string(lowest));
    EXPECT_GE(knob->value, 0.0);
    EXPECT_LE(knob->value, 1.0);
}

TEST_F(SurfaceEventTest, HostHearsTheEndOfTheGestureThatBegan) {
    using Steps = std::vector<std::function<void()>>;
    HeadlessSurface* s = surface;
    struct Case {
        const char* what;
        Steps steps;
        std::vector<std::string> events;
    } cases[] = {
        {"release over another control",
         {[s] { s->PressAt(20, 20, kLeft); }, [s] { s->ReleaseAt(90, 90, kLeft); }},
         {"begin 2", "end 2"}},
        {"double-click, then release elsewhere",
         {[s] { s->DoubleClickAt(20, 20, kLeft); }, [s] { s->ReleaseAt(90, 90, kLeft); }},
         {"begin 2", "automate 2", "end 2"}},
        {"release without a press", {[s] { s->ReleaseAt(90, 90, kLeft); }}, {}},
        {"a lost release",
         {[s] { s->PressAt(20, 20, kLeft); }, [s] { s->PressAt(90, 90, kLeft); },
          [s] { s->ReleaseAt(90, 90, kLeft); }},
         {"begin 2", "end 2", "begin 1", "end 1"}},
        // Right of the face lies nothing: a right press there opens the scale menu.
        {"a lost release, then the scale menu",
         {[s] { s->PressAt(20, 20, kLeft); }, [s] { s->PressAt(600, 300, kRight); },
          [s] { s->ReleaseAt(600, 300, kRight); }, [s] { s->PressAt(600, 300, kLeft); },
          [s] { s->ReleaseAt(600, 300, kLeft); }},
         {"begin 2", "end 2"}},
        {"a double-click while the menu is open only closes it",
         {[s] { s->PressAt(600, 300, kRight); }, [s] { s->ReleaseAt(600, 300, kRight); },
          [s] { s->DoubleClickAt(20, 20, kLeft); }, [s] { s->ReleaseAt(20, 20, kLeft); }},
         {}},
        {"presses the menu took without their releases, then a gesture",
         {[s] { s->PressAt(600, 300, kRight); }, [s] { s->PressAt(600, 300, kLeft); },
          [s] { s->PressAt(20, 20, kLeft); }, [s] { s->ReleaseAt(20, 20, kLeft); }},
         {"begin 2", "end 2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        core.ApplyHostParamChange(kDepth, 0.5);
        core.events.clear();
        for (const auto& step : c.steps) step();
        EXPECT_EQ(core.events, c.events);
    }
}

// A host that sends every value back stored more coarsely than a pixel moves the
// knob: the drag keeps its own position, pixel by pixel as in one move; the host's
// last value stands once the gesture ends, and host values apply again after it.
TEST_F(SurfaceEventTest, EchoedValuesDoNotPullTheDraggedControlBack) {
    const MouseMods fine{true, false, true, false, false};
    for (const MouseMods& mods : {kLeft, fine}) {
        SCOPED_TRACE(mods.shift ? "fine" : "plain");
        const auto drag = [&](double grid, int steps) {
            core.ApplyHostParamChange(kDepth, 0.5);
            core.echoGrid = grid;
            surface->PressAt(20, 50, mods);
            for (int i = 1; i <= steps; ++i) surface->DragTo(20, 50 - 36 * i / steps, mods);
        };
        drag(0.0, 1);
        const double oneMove = knob->value;
        surface->ReleaseAt(20, 14, mods);
        EXPECT_GT(oneMove, 0.51);

        drag(0.01, 36);
        EXPECT_NEAR(knob->value, oneMove, 1e-12);
        surface->ReleaseAt(20, 14, mods);
        EXPECT_NEAR(knob->value, std::round(oneMove / 0.01) * 0.01, 1e-12);
        core.ApplyHostParamChange(kDepth, 0.25);
        EXPECT_EQ(knob->value, 0.25);
        core.echoGrid = 0.0;
    }
}

// Another party's entries: asked for outside the core lock as the menu opens,
// below the choices, cut to what fits in the face; only an enabled entry performs,
// outside the lock.
TEST_F(SurfaceEventTest, MenuExtrasComeAndGoOutsideTheCoreLock) {
    using Kind = MenuExtraEntry::Kind;
    std::vector<std::string> calls;
    std::vector<MenuExtraEntry> offered = {{Kind::Heading, "Host", false, false, 0},
                                           {Kind::Entry, "Learn", true, false, 7},
                                           {Kind::Separator, "", true, false, 0},
                                           {Kind::Entry, "Greyed", false, false, 8},
                                           {Kind::Entry, "Checked", true, true, 9}};
    for (int i = 0; i < 20; ++i) offered.push_back({Kind::Entry, "More", true, false, 100u + i});
    surface->SetMenuExtras(
        {[&] {
             calls.push_back(LockFree(core) ? "gather unlocked" : "gather locked");
             return offered;
         },
         [&](uint32_t action) {
             calls.push_back(std::to_string(action) + (LockFree(core) ? " unlocked" : " locked"));
         }});
    const auto open = [&] {
        surface->PressAt(600, 300, kRight);
        surface->ReleaseAt(600, 300, kRight);
    };
    open();
    ASSERT_TRUE(surface->ScaleMenuOpen());
    const PixelRect menu = surface->ScaleMenuRect();
    EXPECT_GE(menu.top, 0);
    EXPECT_LE(menu.bottom, 335);
    ASSERT_GT(surface->MenuExtraCount(), 5);
    EXPECT_LT(surface->MenuExtraCount(), static_cast<int>(offered.size()));
    EXPECT_GE(surface->MenuExtraRow(0).top, surface->ScaleMenuRow(2).bottom);
    EXPECT_LE(surface->MenuExtraRow(surface->MenuExtraCount() - 1).bottom, menu.bottom);
    EXPECT_TRUE(surface->MenuExtraRow(surface->MenuExtraCount()).IsEmpty());
    EXPECT_EQ(calls, std::vector<std::string>{"gather unlocked"});
    surface->PressAt(300, 20, kLeft);
    surface->ReleaseAt(300, 20, kLeft);

    const struct {
        int row;
        std::vector<std::string> calls;
    } cases[] = {{0, {}}, {1, {"7 unlocked"}}, {2, {}}, {3, {}}, {4, {"9 unlocked"}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        open();
        calls.clear();
        const PixelRect row = surface->MenuExtraRow(c.row);
        surface->PressAt((row.left + row.right) / 2, (row.top + row.bottom) / 2, kLeft);
        surface->ReleaseAt((row.left + row.right) / 2, (row.top + row.bottom) / 2, kLeft);
        EXPECT_FALSE(surface->ScaleMenuOpen());
        EXPECT_EQ(calls, c.calls);
        EXPECT_EQ(log, std::vector<std::string>{}) << "no control saw the presses";
    }
}

// A choice of the effect's own in the menu: its rows below the scales; a press on
// another option chooses it under the core lock, any other press only closes the menu.
TEST_F(SurfaceEventTest, MenuChoicesPickAnotherOptionUnderTheCoreLock) {
    int current = 1;
    std::vector<std::string> picks;
    surface->AddMenuChoice({"Mode",
                            {"One", "Two", "Three"},
                            [&] { return current; },
                            [&](int option) {
                                picks.push_back(std::to_string(option) +
                                                (LockFree(core) ? " unlocked" : " locked"));
                                current = option;
                            }});
    const auto open = [&] {
        surface->PressAt(600, 300, kRight);
        surface->ReleaseAt(600, 300, kRight);
    };
    open();
    ASSERT_TRUE(surface->ScaleMenuOpen());
    const PixelRect menu = surface->ScaleMenuRect();
    EXPECT_GE(surface->MenuChoiceRow(0, 0).top, surface->ScaleMenuRow(2).bottom);
    EXPECT_LE(surface->MenuChoiceRow(0, 2).bottom, menu.bottom);
    EXPECT_TRUE(surface->MenuChoiceRow(0, 3).IsEmpty());
    EXPECT_TRUE(surface->MenuChoiceRow(1, 0).IsEmpty());
    EXPECT_TRUE(surface->MenuChoiceRow(-1, 0).IsEmpty());
    surface->PressAt(300, 20, kLeft);
    surface->ReleaseAt(300, 20, kLeft);

    const struct {
        const char* what;
        int option;  // -1: the heading, -2: beside the menu
        std::vector<std::string> picks;
        int current;
    } cases[] = {
        {"another option", 2, {"2 locked"}, 2},
        {"the current option", 2, {}, 2},
        {"the heading", -1, {}, 2},
        {"beside the menu", -2, {}, 2},
        {"the first option", 0, {"0 locked"}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        picks.clear();
        open();
        ASSERT_TRUE(surface->ScaleMenuOpen());
        Settle();
        const PixelRect first = surface->MenuChoiceRow(0, 0);
        const PixelRect row = c.option >= 0 ? surface->MenuChoiceRow(0, c.option)
                              : c.option == -1
                                  ? PixelRect{first.left, first.top - 20, first.right, first.top}
                                  : PixelRect{300, 20, 301, 21};
        surface->PressAt((row.left + row.right) / 2, (row.top + row.bottom) / 2, kLeft);
        surface->ReleaseAt((row.left + row.right) / 2, (row.top + row.bottom) / 2, kLeft);
        EXPECT_FALSE(surface->ScaleMenuOpen());
        EXPECT_EQ(picks, c.picks);
        EXPECT_EQ(current, c.current);
        EXPECT_EQ(surface->ScalePercent(), 100);
        EXPECT_EQ(log, std::vector<std::string>{}) << "no control saw the presses";
        EXPECT_EQ(core.events, std::vector<std::string>{});
    }
}

TEST_F(SurfaceEventTest, PressOnNothingDropsTheCapture) {
    surface->PressAt(20, 20, kLeft);
    back->hidden = true;
    surface->PressAt(300, 300, kLeft);
    EXPECT_EQ(surface->CaptureIndex(), -1);
    surface->DragTo(310, 310, kLeft);
    EXPECT_EQ(log, std::vector<std::string>{"press knob"});
}

TEST_F(SurfaceEventTest, WheelRunIsOneGesture) {
    for (int i = 0; i < 5; ++i) surface->WheelAt(20, 20, {}, 1);
    EXPECT_EQ(core.beginEdits, 1);
    EXPECT_EQ(core.automations, 5);
    EXPECT_EQ(surface->GestureCountdown(), 12);
    for (int tick = 0; tick < 11; ++tick) surface->Tick();
    EXPECT_EQ(core.endEdits, 0);
    surface->Tick();
    EXPECT_EQ(core.endEdits, 1);
    EXPECT_EQ(core.events.back(), "end 2");
    for (int tick = 0; tick < 30; ++tick) surface->Tick();
    EXPECT_EQ(core.endEdits, 1);
}

TEST_F(SurfaceEventTest, WheelOnAnotherParameterEndsThePendingGesture) {
    surface->WheelAt(20, 20, {}, 1);
    surface->WheelAt(90, 90, {}, 1);
    EXPECT_EQ(core.events, (std::vector<std::string>{"begin 2", "automate 2", "end 2", "begin 1",
                                                     "automate 1"}));
}

TEST_F(SurfaceEventTest, DoubleClickRestoresTheFirstHostValue) {
    core.ApplyHostParamChange(kDepth, 0.2);
    core.ApplyHostParamChange(kDepth, 0.9);
    EXPECT_FALSE(surface->DoubleClickAt(20, 20, kLeft));
    surface->ReleaseAt(20, 20, kLeft);
    EXPECT_DOUBLE_EQ(knob->value, 0.2);
    EXPECT_NEAR(core.Param(kDepth)->CurrentUnit(), 0.2, 1e-9);
    EXPECT_EQ(core.events, (std::vector<std::string>{"begin 2", "automate 2", "end 2"}));
}

TEST_F(SurfaceEventTest, DoubleClickAsPressCaptures) {
    knob->doubleClickAsPress = true;
    EXPECT_TRUE(surface->DoubleClickAt(20, 20, kLeft));
    surface->DragTo(20, 10, kLeft);
    EXPECT_EQ(log, (std::vector<std::string>{"press knob", "drag knob 0 -10"}));
}

TEST_F(SurfaceEventTest, KeysGoToTheControlUnderThePointer) {
    surface->KeyAt(50, 50, KeyLetterA);
    surface->KeyAt(600, 600, KeySpace);
    EXPECT_EQ(log, std::vector<std::string>{"key button 15"});
}

TEST_F(SurfaceEventTest, EnteredTextBecomesAUnitValue) {
    struct Case {
        int param;
        const char* text;
        double plain;
    } cases[] = {
        {kMode, "Fast", 2.0},  {kMode, "1", 1.0}, {kFreq, "5000 Hz", 5000.0},
        {kFreq, "abc", 40.0},  {kDepth, "", 0.0}, {kDepth, "250", 100.0},
        {kDepth, "-3e9", 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ProbeControl* field = AddProbe({200, 200, 210, 210}, c.param, "field");
        core.events.clear();
        surface->ApplyEnteredText(field, core.Param(c.param), c.text);
        EXPECT_DOUBLE_EQ(field->value, core.Param(c.param)->UnitOf(c.plain));
        EXPECT_NEAR(core.Param(c.param)->value, c.plain, 1e-6);
        EXPECT_EQ(core.events.front(), "begin " + std::to_string(c.param));
        EXPECT_EQ(core.events.back(), "end " + std::to_string(c.param));
        field->hidden = true;
    }
}

TEST_F(SurfaceEventTest, CommittedEntryAppliesAtTheNextTickAndResends) {
    const MouseMods right{false, true, false, false, false};
    surface->PressAt(20, 20, right);
    ASSERT_TRUE(surface->EntryOpen());
    surface->ReleaseAt(20, 20, right);
    surface->CommitEntry("75");
    core.automations = 0;
    surface->Tick();
    EXPECT_FALSE(surface->EntryOpen());
    EXPECT_NEAR(knob->value, 0.75, 1e-12);
    EXPECT_EQ(core.automations, 2) << "the entered value, then the re-send as the box closes";

    surface->PressAt(20, 20, right);
    surface->CancelEntry();
    surface->Tick();
    EXPECT_NEAR(knob->value, 0.75, 1e-12);
    EXPECT_EQ(core.automations, 3);
}

TEST_F(SurfaceEventTest, EnteredTextReplacesOnlyEditableText) {
    auto* editable = new IEditableTextControl(&core, {0, 0, 10, 10}, TextStyle{}, "old",
                                              ArgbColor{0}, true, false);
    auto* readOnly = new IEditableTextControl(&core, {0, 0, 10, 10}, TextStyle{}, "old",
                                              ArgbColor{0}, false, false);
    auto* plain = new ITextControl(&core, {0, 0, 10, 10}, TextStyle{}, "old");
    surface->AddControl(editable);
    surface->AddControl(readOnly);
    surface->AddControl(plain);
    for (IControl* c : {static_cast<IControl*>(editable), static_cast<IControl*>(readOnly),
                        static_cast<IControl*>(plain)})
        surface->ApplyEnteredText(c, nullptr, "new");
    surface->ApplyEnteredText(nullptr, core.Param(kFreq), "1");
    EXPECT_STREQ(editable->Text(), "new");
    EXPECT_STREQ(readOnly->Text(), "old");
    EXPECT_STREQ(plain->Text(), "old");
}

TEST_F(SurfaceEventTest, HostValuesReachEveryControlOfTheParameter) {
    ProbeControl* twin = AddProbe({300, 10, 320, 30}, kDepth, "twin");
    core.ApplyHostParamChange(kDepth, 0.3);
    EXPECT_EQ(knob->value, 0.3);
    EXPECT_EQ(twin->value, 0.3);
    EXPECT_EQ(button->value, 0.0);

    core.Param(kDepth)->SetClamped(75.0);  // a plain value, as after loading a preset
    core.PushParamsToEditor();
    EXPECT_DOUBLE_EQ(knob->value, 0.75);
    EXPECT_DOUBLE_EQ(twin->value, 0.75);
    EXPECT_EQ(core.automations, 0);

    surface->PushParamToControls(kDepth, std::nan(""), true);
    surface->PushParamToControls(99, 0.5, false);
    EXPECT_DOUBLE_EQ(knob->value, 0.75);
}

TEST_F(SurfaceEventTest, HostChangePaintsInTwoPasses) {
    core.ApplyHostParamChange(kDepth, 0.5);
    const int passes[] = {1, 2, 3};
    const bool expectPaint[] = {true, true, false};
    for (int pass : passes) {
        log.clear();
        const bool painted = surface->Tick();
        EXPECT_EQ(painted, expectPaint[pass - 1]) << "pass " << pass;
        const bool knobRendered = std::find(log.begin(), log.end(), "render knob") != log.end();
        EXPECT_EQ(knobRendered, expectPaint[pass - 1]) << "pass " << pass;
    }
    EXPECT_FALSE(knob->needsPaint);
    EXPECT_FALSE(knob->paintAgain);
}

TEST_F(SurfaceEventTest, ChangedAreaIsTheUnionOfMarkedControls) {
    ProbeControl* nowhere = AddProbe({}, -1, "nowhere");
    ProbeControl* far = AddProbe({400, 300, 410, 330}, -1, "far");
    struct Case {
        const char* what;
        std::vector<IControl*> marked;
        bool any;
        PixelRect area;
    } cases[] = {
        {"nothing changed", {}, false, {}},
        {"one control", {knob}, true, {10, 10, 60, 60}},
        {"two controls", {knob, far}, true, {10, 10, 410, 330}},
        {"an all-zero rectangle adds nothing", {nowhere, button}, true, {40, 40, 100, 100}},
        {"only an all-zero rectangle", {nowhere}, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Settle();
        for (IControl* control : c.marked) control->MarkChanged(false);
        PixelRect area{1, 1, 1, 1};
        EXPECT_EQ(surface->CollectChangedArea(&area), c.any);
        EXPECT_EQ(area, c.area);
    }
}

TEST_F(SurfaceEventTest, DrawPassRendersOnlyVisibleOverlappingControls) {
    ProbeControl* nowhere = AddProbe({}, -1, "nowhere");
    ProbeControl* far = AddProbe({400, 300, 410, 330}, -1, "far");
    button->hidden = true;
    for (IControl* c : {static_cast<IControl*>(knob), static_cast<IControl*>(button),
                        static_cast<IControl*>(nowhere), static_cast<IControl*>(far)})
        c->needsPaint = true;
    const int presentsBefore = surface->presentCount;
    EXPECT_TRUE(surface->PaintRegion({50, 50, 70, 70}));
    EXPECT_EQ(log, (std::vector<std::string>{"render back", "render knob"}));
    EXPECT_EQ(surface->presentCount, presentsBefore + 1);
    EXPECT_EQ(surface->lastPresented, (PixelRect{50, 50, 70, 70}));
    for (IControl* c : {static_cast<IControl*>(knob), static_cast<IControl*>(button),
                        static_cast<IControl*>(nowhere), static_cast<IControl*>(far)})
        EXPECT_FALSE(c->needsPaint) << "every control is marked painted";
    log.clear();
    surface->PaintRegion({});
    EXPECT_TRUE(log.empty()) << "an all-zero area paints nothing";
}

TEST(SurfaceWithoutControls, PaintsAndPresentsNothing) {
    EditorTestCore core;
    HeadlessSurface surface(&core, 100, 100);
    EXPECT_TRUE(surface.PaintRegion({0, 0, 100, 100}));
    EXPECT_EQ(surface.presentCount, 0);
    EXPECT_FALSE(surface.RepaintChanged());
}

}  // namespace
}  // namespace tav::test
