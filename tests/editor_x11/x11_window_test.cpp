// The X11 editor window on a private Xvfb server: a top-level window of ours plays the
// host's window, XTest plays the user, Idle() plays the host's effEditIdle calls.
// gtest before Xlib, whose macros (None, Bool) would break its headers.
#include "tests/editor/editor_fixture.h"
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
// clang-format on
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

#include "editor/x11_editor_window.h"
#include "tests/editor_x11/process_counts.h"

namespace tav::test {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kTimeoutMs = 10000;

// Paints its rectangle in a grey of its value, so the screen shows the value.
class Swatch : public ProbeControl {
  public:
    using ProbeControl::ProbeControl;
    bool Render(EditorSurface* surface) override {
        const int level = static_cast<int>(paintValue * 255.0 + 0.5);
        return surface->PaintFill({255, level, level, level}, rect, nullptr);
    }
};

class Backdrop : public IControl {
  public:
    Backdrop(IEffectCore* owner) : IControl(owner, {0, 0, 520, 335}, -1) {}
    bool Render(EditorSurface* surface) override {
        return surface->PaintFill({255, 10, 20, 30}, rect, nullptr);
    }
};

constexpr Pixel kBackdrop = 0x0A141E;

// The host's side: a top-level window on a connection of its own, input through XTest.
class HostSide {
  public:
    HostSide() {
        display = XOpenDisplay(nullptr);
        if (display == nullptr) return;
        XSetWindowAttributes attributes = {};
        // Away from the screen's edges, so that drags can leave the window.
        attributes.override_redirect = True;
        attributes.background_pixel = 0;
        window = XCreateWindow(display, DefaultRootWindow(display), 100, 300, 600, 400, 0,
                               CopyFromParent, InputOutput, CopyFromParent,
                               CWOverrideRedirect | CWBackPixel, &attributes);
        XMapRaised(display, window);
        XSync(display, False);
    }
    ~HostSide() {
        if (display == nullptr) return;
        ReleaseAll();
        XCloseDisplay(display);
    }
    void* Parent() const { return reinterpret_cast<void*>(window); }

    void MoveTo(Window editor, int x, int y) {
        int rx = 0, ry = 0;
        Window child = 0;
        XTranslateCoordinates(display, editor, DefaultRootWindow(display), x, y, &rx, &ry, &child);
        XTestFakeMotionEvent(display, -1, rx, ry, 0);
        XSync(display, False);
    }
    void Button(unsigned button, bool down) {
        XTestFakeButtonEvent(display, button, down ? True : False, 0);
        XSync(display, False);
    }
    void Key(KeySym keysym, bool down) {
        XTestFakeKeyEvent(display, XKeysymToKeycode(display, keysym), down ? True : False, 0);
        XSync(display, False);
    }
    void Tap(KeySym keysym) {
        Key(keysym, true);
        Key(keysym, false);
    }
    void ReleaseAll() {
        for (KeySym k : {XK_Shift_L, XK_Control_L}) Key(k, false);
    }
    // The pixel the server shows at (x, y) of window, as 0xRRGGBB.
    Pixel PixelAt(Window w, int x, int y) {
        XImage* image = XGetImage(display, w, x, y, 1, 1, AllPlanes, ZPixmap);
        if (image == nullptr) return 0xFFFFFFFF;
        const Pixel p = static_cast<Pixel>(XGetPixel(image, 0, 0)) & 0xFFFFFF;
        XDestroyImage(image);
        return p;
    }
    int ChildCount() {
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        XQueryTree(display, window, &root, &parent, &children, &count);
        if (children != nullptr) XFree(children);
        return static_cast<int>(count);
    }

    Display* display = nullptr;
    Window window = 0;
};

Pixel Grey(double unit) {
    const auto level = static_cast<Pixel>(unit * 255.0 + 0.5);
    return level << 16 | level << 8 | level;
}

class X11WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(host.display, nullptr) << "no X display: run under xvfb-run -a";
        surface = new X11EditorWindow(&core, 520, 335, 0);
        core.AttachEditor(surface);
        surface->AddControl(new Backdrop(&core));
        knob = new Swatch(&core, kKnobRect, kDepth, "knob", &log);
        surface->AddControl(knob);
        mode = new Swatch(&core, {300, 40, 360, 100}, kMode, "mode", &log);
        surface->AddControl(mode);
        text = new IEditableTextControl(&core, kTextRect, TextStyle(), "hello", {255, 0, 0, 0},
                                        true, false);
        surface->AddControl(text);
        core.PushParamsToEditor();
        ASSERT_NE(surface->OpenInParent(host.Parent()), nullptr);
        editor = static_cast<Window>(reinterpret_cast<uintptr_t>(surface->NativeHandle()));
        ASSERT_TRUE(PumpUntil([&] { return host.PixelAt(editor, 5, 5) == kBackdrop; }));
        core.events.clear();
    }
    void TearDown() override {
        if (host.display != nullptr) host.ReleaseAll();
        FreeEditorCaches();
    }

    // Idle calls, as a host's UI loop makes them, until done() holds.
    bool PumpUntil(const std::function<bool()>& done, int timeoutMs = kTimeoutMs) {
        const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (Clock::now() < end) {
            XSync(host.display, False);
            surface->Idle();
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }
    void PumpTicks(int ticks) {
        const int until = surface->TickCount() + ticks;
        ASSERT_TRUE(PumpUntil([&] { return surface->TickCount() >= until; }));
    }
    double Unit(int param) { return core.Param(param)->CurrentUnit(); }
    void Press(int x, int y, unsigned button = 1) {
        host.MoveTo(editor, x, y);
        host.Button(button, true);
    }
    void Release(int x, int y, unsigned button = 1) {
        host.MoveTo(editor, x, y);
        host.Button(button, false);
    }
    void Click(int x, int y, unsigned button = 1) {
        Press(x, y, button);
        Release(x, y, button);
    }
    void SetUnit(int param, double unit) {
        core.Param(param)->SetFromUnit(unit);
        core.PushParamsToEditor();
    }

    static constexpr PixelRect kKnobRect{40, 40, 140, 140};
    static constexpr PixelRect kTextRect{40, 250, 240, 270};
    HostSide host;
    EditorTestCore core;
    std::vector<std::string> log;
    X11EditorWindow* surface = nullptr;  // owned by core
    Swatch* knob = nullptr;
    Swatch* mode = nullptr;
    IEditableTextControl* text = nullptr;
    Window editor = 0;
};

TEST_F(X11WindowTest, OpensAsAChildOfTheHostsWindowAndShowsTheCanvas) {
    Window root = 0;
    int x = -1, y = -1;
    unsigned w = 0, h = 0, border = 0, depth = 0;
    ASSERT_TRUE(XGetGeometry(host.display, editor, &root, &x, &y, &w, &h, &border, &depth));
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(w, 520u);
    EXPECT_EQ(h, 335u);
    EXPECT_EQ(host.ChildCount(), 1);
    EXPECT_TRUE(surface->UsesSharedMemory()) << "Xvfb offers MIT-SHM";
    EXPECT_EQ(host.PixelAt(editor, 90, 90), Grey(Unit(kDepth)));
}

TEST_F(X11WindowTest, TicksNeverOutpaceTheFrameRate) {
    const int before = surface->TickCount();
    const auto end = Clock::now() + std::chrono::milliseconds(500);
    int calls = 0;
    while (Clock::now() < end) {
        surface->Idle();
        ++calls;
    }
    const int ticks = surface->TickCount() - before;
    EXPECT_GT(calls, 1000);
    EXPECT_LE(ticks, 13);  // 24 a second; a loaded machine may manage fewer
    EXPECT_GE(ticks, 1);
}

TEST_F(X11WindowTest, HostChangesShowAtTheNextTick) {
    SetUnit(kDepth, 1.0);
    PumpTicks(2);
    EXPECT_EQ(host.PixelAt(editor, 90, 90), Grey(1.0));
}

// A host that never calls effEditIdle: the window's own thread takes over.
TEST_F(X11WindowTest, PaintsWithoutIdleCalls) {
    SetUnit(kDepth, 0.0);
    const auto end = Clock::now() + std::chrono::milliseconds(kTimeoutMs);
    while (Clock::now() < end && host.PixelAt(editor, 90, 90) != Grey(0.0)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(host.PixelAt(editor, 90, 90), Grey(0.0));
    // Exposed areas come back from the canvas too.
    XSetForeground(host.display, DefaultGC(host.display, 0), 0xFF0000);
    XFillRectangle(host.display, editor, DefaultGC(host.display, 0), 0, 0, 520, 335);
    XClearArea(host.display, editor, 0, 0, 0, 0, True);
    XSync(host.display, False);
    while (Clock::now() < end && host.PixelAt(editor, 5, 5) != kBackdrop) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(host.PixelAt(editor, 5, 5), kBackdrop);
}

TEST_F(X11WindowTest, DragsAreCapturedAndShiftMakesThemFine) {
    struct Case {
        bool shift;
        int pixels;
        double gained;
    } cases[] = {{false, 40, 0.1}, {true, 40, 0.01}, {false, 200, 0.5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pixels);
        SetUnit(kDepth, 0.0);
        PumpTicks(1);
        if (c.shift) host.Key(XK_Shift_L, true);
        Press(90, 130);
        // The pointer leaves the window upwards: the knob keeps the capture.
        for (int step = 1; step <= 4; ++step) host.MoveTo(editor, 90, 130 - c.pixels * step / 4);
        Release(90, 130 - c.pixels);
        if (c.shift) host.Key(XK_Shift_L, false);
        ASSERT_TRUE(PumpUntil([&] { return core.endEdits > 0; }));
        EXPECT_NEAR(Unit(kDepth), c.gained, 1e-3);
        EXPECT_EQ(core.beginEdits, 1);
        core.beginEdits = core.endEdits = 0;
    }
}

TEST_F(X11WindowTest, WheelNotchesMakeOneGesture) {
    SetUnit(kDepth, 0.5);
    PumpTicks(1);
    host.MoveTo(editor, 90, 90);
    for (unsigned button : {4u, 4u, 4u, 5u}) {
        host.Button(button, true);
        host.Button(button, false);
    }
    ASSERT_TRUE(PumpUntil([&] { return core.endEdits == 1; }));
    EXPECT_NEAR(Unit(kDepth), 0.52, 1e-6);
    EXPECT_EQ(core.beginEdits, 1);
    // Control makes the notches fine.
    host.Key(XK_Control_L, true);
    host.Button(5, true);
    host.Button(5, false);
    host.Key(XK_Control_L, false);
    ASSERT_TRUE(PumpUntil([&] { return core.endEdits == 2; }));
    EXPECT_NEAR(Unit(kDepth), 0.519, 1e-6);
}

TEST_F(X11WindowTest, DoubleClickRestoresTheDefaultSingleClicksDoNot) {
    const double start = knob->defaultValue;
    SetUnit(kDepth, 0.9);
    Click(90, 90);
    Click(90, 90);
    ASSERT_TRUE(PumpUntil([&] { return Unit(kDepth) != 0.9; }));
    EXPECT_NEAR(Unit(kDepth), start, 1e-9);
    // Two clicks too far apart are two clicks.
    SetUnit(kDepth, 0.9);
    log.clear();
    Click(60, 60);
    Click(120, 120);
    PumpTicks(2);
    EXPECT_EQ(Unit(kDepth), 0.9);
    EXPECT_EQ(std::count(log.begin(), log.end(), "double knob"), 0);
}

TEST_F(X11WindowTest, ValueEntryCommitsWithEnterOrAClickAndCancelsWithEscapeOrRightClick) {
    struct Case {
        const char* what;
        std::function<void()> finish;
        double unit;
    };
    const Case cases[] = {
        {"Enter", [&] { host.Tap(XK_Return); }, 0.25},
        {"left click elsewhere", [&] { Click(450, 300); }, 0.25},
        {"Escape", [&] { host.Tap(XK_Escape); }, 0.6},
        {"right click", [&] { Click(450, 300, 3); }, 0.6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUnit(kDepth, 0.6);
        Click(90, 90, 3);
        ASSERT_TRUE(PumpUntil([&] { return surface->EntryBoxOpen(); }));
        for (KeySym k : {XK_2, XK_5}) host.Tap(k);
        c.finish();
        ASSERT_TRUE(PumpUntil([&] { return !surface->EntryBoxOpen(); }));
        EXPECT_NEAR(Unit(kDepth), c.unit, 1e-9);
        EXPECT_EQ(core.beginEdits, core.endEdits);
    }
}

TEST_F(X11WindowTest, EntryBoxIsDrawnOverTheCanvasAndGoesAwayWithoutTrace) {
    SetUnit(kDepth, 0.0);
    PumpTicks(1);
    Click(90, 90, 3);
    ASSERT_TRUE(PumpUntil([&] { return surface->EntryBoxOpen(); }));
    const PixelRect box = surface->EntryBoxRect();
    EXPECT_EQ(box.Height(), 16);
    ASSERT_TRUE(PumpUntil([&] { return host.PixelAt(editor, box.left, box.top) != Grey(0.0); }));
    host.Tap(XK_Escape);
    ASSERT_TRUE(PumpUntil([&] { return !surface->EntryBoxOpen(); }));
    ASSERT_TRUE(PumpUntil([&] { return host.PixelAt(editor, box.left, box.top) == Grey(0.0); }));
}

TEST_F(X11WindowTest, ChoiceListCommitsTheClickedRow) {
    SetUnit(kMode, 0.0);
    Click(330, 70, 3);
    ASSERT_TRUE(PumpUntil([&] { return surface->EntryBoxOpen(); }));
    const PixelRect box = surface->EntryBoxRect();
    const int row = (box.Height() - 2) / 3;
    Click(box.left + 5, box.top + 1 + 2 * row + row / 2);  // "Fast"
    ASSERT_TRUE(PumpUntil([&] { return !surface->EntryBoxOpen(); }));
    EXPECT_EQ(Unit(kMode), 1.0);
}

TEST_F(X11WindowTest, EditableTextTakesTypedText) {
    Click(100, 260);
    ASSERT_TRUE(PumpUntil([&] { return surface->EntryBoxOpen(); }));
    EXPECT_EQ(surface->EntryBoxRect(), kTextRect);
    host.Tap(XK_End);
    for (KeySym k : {XK_space, XK_x}) host.Tap(k);
    host.Tap(XK_Return);
    ASSERT_TRUE(PumpUntil([&] { return !surface->EntryBoxOpen(); }));
    EXPECT_STREQ(text->Text(), "hello x");
}

TEST_F(X11WindowTest, KeysReachTheControlUnderThePointer) {
    host.MoveTo(editor, 90, 90);
    XSetInputFocus(host.display, editor, RevertToParent, CurrentTime);
    for (KeySym k : {XK_a, XK_7, XK_Up, XK_F1, XK_KP_5}) host.Tap(k);
    ASSERT_TRUE(PumpUntil([&] { return log.size() >= 3; }));
    PumpTicks(1);
    const std::vector<std::string> expected{"key knob 15", "key knob 12", "key knob 1"};
    std::vector<std::string> keys;
    for (const std::string& entry : log) {
        if (entry.rfind("key ", 0) == 0) keys.push_back(entry);
    }
    EXPECT_EQ(keys, expected);
}

TEST_F(X11WindowTest, ReopeningKeepsThePlaceAndHostDestroyedParentIsSurvived) {
    XMoveWindow(host.display, editor, 12, 7);
    XSync(host.display, False);
    void* again = surface->OpenInParent(host.Parent());
    ASSERT_NE(again, nullptr);
    Window root = 0;
    int x = 0, y = 0;
    unsigned w = 0, h = 0, border = 0, depth = 0;
    XGetGeometry(host.display, reinterpret_cast<uintptr_t>(again), &root, &x, &y, &w, &h, &border,
                 &depth);
    EXPECT_EQ(x, 12);
    EXPECT_EQ(y, 7);
    EXPECT_EQ(host.ChildCount(), 1);
    // The host destroys its window before closing the editor, as some hosts do.
    XDestroyWindow(host.display, host.window);
    XSync(host.display, False);
    PumpTicks(2);
    surface->CloseNative();
    EXPECT_EQ(surface->NativeHandle(), nullptr);
}

TEST_F(X11WindowTest, RefusesBadParentsAndMissingDisplays) {
    surface->CloseNative();
    EXPECT_EQ(surface->OpenInParent(nullptr), nullptr);
    EXPECT_EQ(surface->OpenInParent(reinterpret_cast<void*>(0x7FFFFF0)), nullptr);
    const std::string display = std::getenv("DISPLAY");
    unsetenv("DISPLAY");
    EXPECT_EQ(surface->OpenInParent(host.Parent()), nullptr);
    setenv("DISPLAY", display.c_str(), 1);
    EXPECT_NE(surface->OpenInParent(host.Parent()), nullptr);
}

TEST_F(X11WindowTest, FiveHundredOpenCloseCyclesLeakNothing) {
    auto cycle = [&] {
        ASSERT_NE(surface->OpenInParent(host.Parent()), nullptr);
        surface->Idle();
        surface->CloseNative();
    };
    surface->CloseNative();
    for (int i = 0; i < 20; ++i) cycle();  // caches and allocator pools settle
    const ProcessCounts before = CountProcessResources();
    for (int i = 0; i < 500; ++i) cycle();
    EXPECT_EQ(host.ChildCount(), 0);
    ExpectNoGrowthSince(before);
}

}  // namespace
}  // namespace tav::test
