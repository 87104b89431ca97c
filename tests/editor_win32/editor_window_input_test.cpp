// The editor in a real Win32 window under Wine and Xvfb, driven by window messages.
#include <gtest/gtest.h>

#include "tests/editor_win32/window_test_support.h"

namespace tav::test {
namespace {

class EditorWindowInput : public ::testing::Test, public EditorWindowFixture {
  protected:
    void SetUp() override { ASSERT_TRUE(Open()); }
};

TEST_F(EditorWindowInput, DraggingAKnobTellsTheHostOneGesture) {
    const POINT c = CentreOf(knob);
    const double before = Unit(kFreq);
    Post(WM_LBUTTONDOWN, MK_LBUTTON, c);
    Post(WM_MOUSEMOVE, MK_LBUTTON, {c.x, c.y - 20});
    Post(WM_MOUSEMOVE, MK_LBUTTON, {c.x, c.y - 40});
    Post(WM_LBUTTONUP, 0, {c.x, c.y - 40});
    ASSERT_TRUE(PumpUntil([&] { return Count("end 0") == 1; }));
    // 40 pixels up a 100-pixel knob at gearing 4.
    EXPECT_NEAR(Unit(kFreq) - before, 0.1, 1e-9);
    EXPECT_EQ(core->events,
              (std::vector<std::string>{"begin 0", "automate 0", "automate 0", "end 0"}));
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(EditorWindowInput, OtherButtonDuringADragIsNotAnotherGesture) {
    const POINT c = CentreOf(knob);
    Post(WM_LBUTTONDOWN, MK_LBUTTON, c);
    Post(WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, c);
    Post(WM_MOUSEMOVE, MK_LBUTTON | MK_RBUTTON, {c.x, c.y - 10});
    Post(WM_RBUTTONUP, MK_LBUTTON, {c.x, c.y - 10});
    Post(WM_LBUTTONUP, 0, {c.x, c.y - 10});
    ASSERT_TRUE(PumpUntil(PostedQueueEmpty));
    EXPECT_EQ(core->events, (std::vector<std::string>{"begin 0", "automate 0", "end 0"}));
    EXPECT_EQ(Box(), nullptr);
}

TEST_F(EditorWindowInput, WheelNotchesOnOneKnobMakeOneGestureEndingHalfASecondLater) {
    const POINT screen = ScreenPoint(CentreOf(knob));
    const double before = Unit(kFreq);
    for (int i = 0; i < 3; ++i) {
        PostMessageA(window, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA),
                     MAKELPARAM(screen.x, screen.y));
    }
    ASSERT_TRUE(PumpUntil([&] { return core->automations == 3; }));
    const DWORD lastNotch = GetTickCount();
    EXPECT_EQ(core->endEdits, 0);
    ASSERT_TRUE(PumpUntil([&] { return core->endEdits > 0; }));
    const DWORD delay = GetTickCount() - lastNotch;
    // Twelve ticks of 41 ms; the first may come at once.
    EXPECT_GE(delay, 400u);
    EXPECT_EQ(core->beginEdits, 1);
    EXPECT_EQ(core->endEdits, 1);
    EXPECT_NEAR(Unit(kFreq) - before, 0.03, 1e-9);
}

TEST_F(EditorWindowInput, WheelDeltasTurnWholeNotchesOnly) {
    struct Case {
        int16_t delta;
        double change;
    };
    const POINT screen = ScreenPoint(CentreOf(knob));
    for (const Case& c : {Case{60, 0.0}, Case{-60, 0.0}, Case{-240, -0.02}, Case{360, 0.03}}) {
        const double before = Unit(kFreq);
        ClearRecord();
        PostMessageA(window, WM_MOUSEWHEEL, MAKEWPARAM(0, c.delta), MAKELPARAM(screen.x, screen.y));
        ASSERT_TRUE(PumpUntil(PostedQueueEmpty));
        EXPECT_NEAR(Unit(kFreq) - before, c.change, 1e-9) << c.delta;
        EXPECT_EQ(core->automations, c.change == 0.0 ? 0 : 1) << c.delta;
    }
}

TEST_F(EditorWindowInput, HostWheelTurnsTheControlUnderTheCursorWithItsModifiers) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    SetCursorPos(ScreenPoint(CentreOf(knob)).x, ScreenPoint(CentreOf(knob)).y);
    const double before = Unit(kFreq);
    EXPECT_EQ(editor->HandleCursorWheel(2.7f), 1);
    EXPECT_NEAR(Unit(kFreq) - before, 0.002, 1e-9);  // fine steps with Control held
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);

    SetCursorPos(5, 5);  // over the desktop, not the editor
    EXPECT_EQ(editor->HandleCursorWheel(1.0f), 0);
    EXPECT_EQ(editor->HandleCursorWheel(std::numeric_limits<float>::quiet_NaN()), 0);
}

TEST_F(EditorWindowInput, DoubleClickRestoresTheDefault) {
    const POINT c = CentreOf(knob);
    const double initial = Unit(kFreq);
    Post(WM_LBUTTONDOWN, MK_LBUTTON, c);
    Post(WM_MOUSEMOVE, MK_LBUTTON, {c.x, c.y - 30});
    Post(WM_LBUTTONUP, 0, {c.x, c.y - 30});
    ASSERT_TRUE(PumpUntil([&] { return core->endEdits == 1; }));
    ASSERT_NE(Unit(kFreq), initial);
    Post(WM_LBUTTONDBLCLK, MK_LBUTTON, c);
    Post(WM_LBUTTONUP, 0, c);
    ASSERT_TRUE(PumpUntil([&] { return core->endEdits == 2; }));
    EXPECT_DOUBLE_EQ(Unit(kFreq), initial);
    EXPECT_EQ(core->beginEdits, 2);
}

TEST_F(EditorWindowInput, KeysReachTheControlUnderTheCursor) {
    const POINT screen = ScreenPoint(CentreOf(knob));
    SetCursorPos(screen.x, screen.y);
    for (WPARAM vk : {WPARAM('A'), WPARAM('Z'), WPARAM('0'), WPARAM('9'), WPARAM(VK_SPACE),
                      WPARAM(VK_LEFT), WPARAM(VK_F1), WPARAM(VK_NUMPAD0), WPARAM(VK_RETURN)}) {
        PostMessageA(window, WM_KEYDOWN, vk, 1);
    }
    ASSERT_TRUE(PumpUntil(PostedQueueEmpty));
    EXPECT_EQ(knob->keys, (std::vector<int>{15, 40, 5, 14, 0, 3}));
}

// A value typed into the box, then the box closed in one of four ways.
// A value typed into the box, then the box closed in one of three ways. The box's
// font goes with it.
TEST_F(EditorWindowInput, ValueBoxClosesAsTheUserSays) {
    struct Case {
        const char* name;
        UINT down, up;  // a click elsewhere in the editor; none: a key in the box
        WPARAM button;  // or the key
        bool applied;
    };
    const POINT knobCentre = CentreOf(knob);
    int gdiObjects = -1;
    for (const Case& c :
         {Case{"enter", 0, 0, VK_RETURN, true}, Case{"escape", 0, 0, VK_ESCAPE, false},
          Case{"left click", WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, true},
          Case{"right click", WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, false}}) {
        SCOPED_TRACE(c.name);
        ClearRecord();
        const double before = core->Param(kFreq)->value;
        Post(WM_RBUTTONDOWN, MK_RBUTTON, knobCentre);
        Post(WM_RBUTTONUP, 0, knobCentre);
        ASSERT_TRUE(PumpUntil([&] { return Box() != nullptr && core->endEdits == 1; }));
        char className[16] = {};
        GetClassNameA(Box(), className, sizeof className);
        EXPECT_STREQ(className, "Edit");
        Type(Box(), "5000");
        if (c.down == 0) {
            PostKey(Box(), c.button);
        } else {
            Post(c.down, c.button, {300, 190});
            Post(c.up, 0, {300, 190});
        }
        ASSERT_TRUE(PumpUntil([&] { return Box() == nullptr; }));
        ASSERT_TRUE(editor->IsOpen());  // only the box closed
        EXPECT_DOUBLE_EQ(core->Param(kFreq)->value, c.applied ? 5000.0 : before);
        // Every begin has its end; the closing box re-sends the value once more.
        EXPECT_EQ(core->beginEdits, core->endEdits);
        EXPECT_EQ(core->events.back(), "automate 0");
        if (gdiObjects < 0) gdiObjects = CountGdiObjects();
        EXPECT_EQ(CountGdiObjects(), gdiObjects);
    }
}

TEST_F(EditorWindowInput, ChoiceFromTheDropDownList) {
    const POINT c = CentreOf(choice);
    Post(WM_RBUTTONDOWN, MK_RBUTTON, c);
    Post(WM_RBUTTONUP, 0, c);
    ASSERT_TRUE(PumpUntil([&] { return Box() != nullptr; }));
    HWND box = Box();
    char className[16] = {};
    GetClassNameA(box, className, sizeof className);
    EXPECT_STREQ(className, "ComboBox");
    EXPECT_EQ(SendMessageA(box, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageA(box, CB_GETCURSEL, 0, 0), 0);  // "Soft", the current value
    PostKey(box, VK_DOWN);
    ASSERT_TRUE(PumpUntil([&] { return Box() == nullptr; }));
    EXPECT_EQ(core->Param(kMode)->value, 1.0);  // "Hard"
    EXPECT_EQ(core->beginEdits, core->endEdits);
}

TEST_F(EditorWindowInput, TextBoxRetypesTheLabel) {
    const POINT c = CentreOf(label);
    Post(WM_LBUTTONDOWN, MK_LBUTTON, c);
    Post(WM_LBUTTONUP, 0, c);
    ASSERT_TRUE(PumpUntil([&] { return Box() != nullptr; }));
    HWND box = Box();
    RECT r;
    GetWindowRect(box, &r);
    MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, label->rect.left);
    EXPECT_EQ(r.bottom, label->rect.bottom);
    const LONG_PTR style = GetWindowLongPtrA(box, GWL_STYLE);
    EXPECT_EQ(style & (ES_CENTER | ES_RIGHT | ES_READONLY | ES_PASSWORD), 0);
    EXPECT_NE(style & ES_MULTILINE, 0);
    // Hosts that run dialog navigation still let Enter reach the box.
    MSG enter = {box, WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
    EXPECT_NE(SendMessageA(box, WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&enter)) &
                  DLGC_WANTALLKEYS,
              0);
    Type(box, "AB");
    PostKey(box, VK_RETURN);
    ASSERT_TRUE(PumpUntil([&] { return Box() == nullptr; }));
    EXPECT_STREQ(label->Text(), "ab");
    EXPECT_EQ(core->automations, 0);  // text without a parameter tells the host nothing
}

TEST_F(EditorWindowInput, OpeningAgainRecreatesTheWindowInPlace) {
    SetWindowPos(window, nullptr, 17, 23, 300, 190, SWP_NOZORDER | SWP_NOACTIVATE);
    HWND again = static_cast<HWND>(editor->OpenInParent(SharedParentWindow()));
    ASSERT_NE(again, nullptr);
    EXPECT_FALSE(IsWindow(window));
    RECT r;
    GetWindowRect(again, &r);
    MapWindowPoints(HWND_DESKTOP, SharedParentWindow(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 17);
    EXPECT_EQ(r.top, 23);
    EXPECT_EQ(r.right - r.left, 300);
    EXPECT_EQ(r.bottom - r.top, 190);
    EXPECT_EQ(OpenEditorWindowCount(), 1);
    EXPECT_EQ(editor->OpenInParent(nullptr), nullptr);
    EXPECT_TRUE(editor->IsOpen());
}

}  // namespace
}  // namespace tav::test
