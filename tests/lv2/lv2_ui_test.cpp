// The LV2 UI binary in a real X11 window on a private Xvfb, through our small UI
// host: values go out through ports as plain values inside ui:touch gestures, new
// scales go through ui:resize, and the host's idle calls drive it. (Its face
// against the other formats', at every ui:scaleFactor, and host values on the face
// are checked through tavhost in tests/host/format_editor_test.cpp.)
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <thread>

#include "effect/editor_layout.h"
#include "effect/phaser_params.h"
#include "host/editor_window.h"
#include "host/formats/hosted_vst2.h"
#include "lv2/lv2_ports.h"
#include "tests/editor_x11/process_counts.h"
#include "tests/lv2/lv2_ui_host.h"
#include "tests/support/editor_cycles.h"
#include "tests/support/editor_screen.h"

// Last: its macros (None, Bool) would clash with the names above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace tav::lv2test {
namespace {

using namespace tav::lv2;
using namespace tav::test;

constexpr int kTimeoutMs = 20000;

int Scaled(int units, int percent) {
    return (units * percent + 50) / 100;
}

// The face window's WM_NORMAL_HINTS as a toolkit's wrapper reads them: min, max
// and base size, zero where a flag is missing.
std::array<int, 6> SizeHintsOf(void* widget) {
    Display* display = XOpenDisplay(nullptr);
    XSizeHints h = {};
    long supplied = 0;
    const auto id = static_cast<Window>(reinterpret_cast<uintptr_t>(widget));
    if (display == nullptr || XGetWMNormalHints(display, id, &h, &supplied) == 0) h.flags = 0;
    if (display != nullptr) XCloseDisplay(display);
    const auto on = [&](long flag, int value) { return (h.flags & flag) != 0 ? value : 0; };
    return {on(PMinSize, h.min_width),  on(PMinSize, h.min_height),  on(PMaxSize, h.max_width),
            on(PMaxSize, h.max_height), on(PBaseSize, h.base_width), on(PBaseSize, h.base_height)};
}

std::array<int, 6> FixedSizeHints(int percent) {
    const int w = Scaled(kEditorWidth, percent), h = Scaled(kEditorHeight, percent);
    return {w, h, w, h, w, h};
}

class Lv2UiTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        // The scale the menu picks is remembered: in a folder of this suite's own.
        folder = std::filesystem::temp_directory_path() /
                 ("tav-lv2-ui-" +
                  std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
        std::string error;
        host = Lv2UiHost::Load(TAV_LV2_UI_BINARY, &error).release();
        ASSERT_NE(host, nullptr) << error;
        window = EditorHostWindow::Create(&error).release();
        ASSERT_NE(window, nullptr) << error;
    }
    static void TearDownTestSuite() {
        delete window;
        window = nullptr;
        delete host;
        host = nullptr;
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    void SetUp() override {
        ASSERT_NE(host, nullptr);
        ASSERT_NE(window, nullptr);
        Reopen({});
        host->SetProgram(0);
        ASSERT_TRUE(window->WaitTicks(2));
        host->ClearEvents();
    }
    void TearDown() override {
        window->CloseEditor();
        window->acceptResize = true;
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    // The UI instantiated anew with these features, painted.
    static void Reopen(const UiFeatures& features) {
        window->CloseEditor();
        host->features = features;
        std::string error;
        ASSERT_TRUE(window->OpenEditor(*host, &error)) << error;
        ASSERT_TRUE(window->WaitTicks(2));
    }
    static RgbImage Shot() {
        RgbImage image;
        std::string error;
        EXPECT_TRUE(window->Capture(&image, &error)) << error;
        return image;
    }
    // The events once the last one ends a gesture on port (or the time is up).
    static std::vector<UiEvent> EventsUntilTouchOff(uint32_t port) {
        window->PumpUntil(
            [&] {
                const auto events = host->Events();
                return !events.empty() && events.back().kind == UiEvent::TouchOff &&
                       events.back().port == port;
            },
            kTimeoutMs);
        return host->Events();
    }
    static void RightClick(int x, int y) {
        window->MouseDown(x, y, {}, true);
        window->MouseUp(x, y, {}, true);
    }
    // Opens the menu on the bare lower left corner at percent and picks a row (the
    // scales, then Sweep Sync's two options; 192 units high from 143, rows of 20).
    static void PickFromMenu(int percent, int row) {
        window->WaitTicks(12);  // past the double-click time
        RightClick(Scaled(10, percent), Scaled(320, percent));
        window->WaitTicks(2);
        window->Click(Scaled(45, percent), Scaled(143 + 1 + 20 * row + 10, percent));
    }

    static inline Lv2UiHost* host = nullptr;
    static inline EditorHostWindow* window = nullptr;
    static inline std::filesystem::path folder;
};

// A drag over a knob's whole range and a wheel turn: plain values in the knob's
// range on its port, inside one touch gesture each; without ui:touch the values
// still go out.
TEST_F(Lv2UiTest, DragAndWheelWritePlainValuesInsideTouchGestures) {
    for (const bool touch : {true, false}) {
        SCOPED_TRACE(touch);
        UiFeatures features;
        features.touch = touch;
        ASSERT_NO_FATAL_FAILURE(Reopen(features));
        struct Case {
            const KnobPlacement& knob;
            bool drag;
        };
        for (const Case& c : {Case{kKnobPlacements[0], true}, Case{kKnobPlacements[2], false}}) {
            const KnobPlacement& knob = c.knob;
            const uint32_t port = kPortFirstParam + static_cast<uint32_t>(knob.paramIndex);
            const PhaserParamRange range = kPhaserParamRanges[knob.paramIndex];
            SCOPED_TRACE(port);
            host->SetParamValue(knob.paramIndex, 0.0);
            window->WaitTicks(12);
            host->ClearEvents();
            if (c.drag) {
                window->MouseDown(knob.centreX, knob.centreY);
                for (int i = 1; i <= 20; ++i)
                    window->MouseMove(knob.centreX, knob.centreY - 284 * i / 20);
                window->MouseUp(knob.centreX, knob.centreY - 284);
            } else {
                window->Wheel(knob.centreX, knob.centreY, 3);
            }
            std::vector<UiEvent> events;
            if (touch) {
                events = EventsUntilTouchOff(port);
                ASSERT_GE(events.size(), 3u);
                EXPECT_EQ(events.front().kind, UiEvent::TouchOn);
                EXPECT_EQ(events.front().port, port);
                events.erase(events.begin());
                events.pop_back();
            } else {
                window->PumpUntil([&] { return host->ParamValue(knob.paramIndex) > 0.0; },
                                  kTimeoutMs);
                window->WaitTicks(12);
                events = host->Events();
            }
            ASSERT_FALSE(events.empty());
            float last = static_cast<float>(range.minValue);
            for (const UiEvent& e : events) {
                EXPECT_EQ(e.kind, UiEvent::Write);
                EXPECT_EQ(e.port, port);
                EXPECT_GE(e.value, last);
                EXPECT_LE(e.value, static_cast<float>(range.maxValue));
                last = e.value;
            }
            if (c.drag) {
                EXPECT_EQ(last, static_cast<float>(range.maxValue));
            } else {
                EXPECT_GT(last, static_cast<float>(range.minValue));
            }
        }
    }
}

// Sweep Sync from the face's menu: its port gets 1 (Song), then 0 (Free), no gesture.
TEST_F(Lv2UiTest, SweepSyncFromTheMenuWritesItsPort) {
    for (const int option : {1, 0}) {
        SCOPED_TRACE(option);
        host->ClearEvents();
        PickFromMenu(100, 4 + option);
        ASSERT_TRUE(window->PumpUntil([] { return !host->Events().empty(); }, kTimeoutMs));
        window->WaitTicks(2);
        const std::vector<UiEvent> events = host->Events();
        ASSERT_EQ(events.size(), 1u);
        EXPECT_EQ(events[0].kind, UiEvent::Write);
        EXPECT_EQ(events[0].port, static_cast<uint32_t>(kPortSweepSync));
        EXPECT_EQ(events[0].value, static_cast<float>(option));
    }
}

// The menu's scales and options:interface's ui:scaleFactor ask the host through
// ui:resize: refused, nothing changes; taken, the face has the new size, and its
// window's size hints fix it, down to a smaller scale too.
TEST_F(Lv2UiTest, NewScalesAreAskedOfTheHost) {
    EXPECT_EQ(SizeHintsOf(window->EditorHandle()), FixedSizeHints(100));
    window->acceptResize = false;
    PickFromMenu(100, 2);
    ASSERT_TRUE(window->PumpUntil([] { return window->ResizeRequests() > 1; }, kTimeoutMs));
    window->WaitTicks(2);
    EXPECT_EQ(Shot().width, kEditorWidth);
    EXPECT_EQ(window->EditorWidth(), kEditorWidth);
    EXPECT_NE(host->SetScaleOption(2.0f), 0u);
    EXPECT_EQ(SizeHintsOf(window->EditorHandle()), FixedSizeHints(100));

    window->acceptResize = true;
    PickFromMenu(100, 1);
    ASSERT_TRUE(window->PumpUntil([] { return window->EditorWidth() == Scaled(kEditorWidth, 150); },
                                  kTimeoutMs));
    window->WaitTicks(2);
    EXPECT_EQ(window->EditorHeight(), Scaled(kEditorHeight, 150));
    EXPECT_EQ(SizeHintsOf(window->EditorHandle()), FixedSizeHints(150));
    for (const int percent : {200, 100}) {
        EXPECT_EQ(host->SetScaleOption(static_cast<float>(percent) / 100.0f), 0u);
        EXPECT_EQ(window->EditorWidth(), Scaled(kEditorWidth, percent));
        EXPECT_EQ(SizeHintsOf(window->EditorHandle()), FixedSizeHints(percent));
    }
    EXPECT_NE(host->SetScaleOption(0.0f), 0u);  // nonsense
}

// With the ui:idleInterface feature the host's idle calls drive the face and no
// thread of its own starts; without it the window runs itself, as in a VST 2 host,
// until idle calls come all the same (Qtractor): its thread ends at the first.
TEST_F(Lv2UiTest, IdleCallsDriveTheFaceWithoutAThreadOfItsOwn) {
    window->CloseEditor();
    const int threads = ThreadCount();
    const auto settlesAt = [](int count) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (ThreadCount() != count && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return ThreadCount() == count;
    };
    const auto* idle = static_cast<const LV2UI_Idle_Interface*>(
        host->Descriptor()->extension_data(LV2_UI__idleInterface));
    ASSERT_NE(idle, nullptr);
    for (const bool offered : {true, false}) {
        SCOPED_TRACE(offered);
        window->CloseEditor();
        host->features = UiFeatures{};
        host->features.idle = offered;
        std::string error;
        ASSERT_TRUE(window->OpenEditor(*host, &error)) << error;
        EXPECT_EQ(ThreadCount(), threads + (offered ? 0 : 1));
        EXPECT_EQ(idle->idle(host->Handle()), 0);
        EXPECT_TRUE(settlesAt(threads)) << "the window's thread outlived the first idle call";
        const KnobPlacement& knob = kKnobPlacements[offered ? 0 : 5];
        window->WaitTicks(2);
        const RgbImage before = Shot();
        host->SetParamValue(knob.paramIndex, 1.0);
        EXPECT_TRUE(window->PumpUntil(
            [&] { return CountDiffering(Shot(), before, KnobRegion(knob)) > 40; }, kTimeoutMs));
    }
}

// What the UI cannot show is refused with no UI made, and nothing is left behind.
TEST_F(Lv2UiTest, InstantiateRefusesWhatItCannotShow) {
    window->CloseEditor();
    EXPECT_EQ(host->Descriptor()->extension_data("urn:nothing"), nullptr);
    EXPECT_EQ(std::string(host->Descriptor()->URI), kUiUri);
    // A window of our own to be the parent where the parent is not what is wrong,
    // and an id no window has on this server.
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    const Window own =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 64, 64, 0, 0, 0);
    XSync(display, False);
    void* const parent = reinterpret_cast<void*>(static_cast<uintptr_t>(own));
    void* const notAWindow = reinterpret_cast<void*>(uintptr_t{0x3ffffff0});
    struct Case {
        const char* what;
        void* parent;
        bool parentFeature;
        const char* pluginUri;
    } cases[] = {
        {"a parent that is not a window", notAWindow, true, kPluginUri},
        {"no parent", nullptr, true, kPluginUri},
        {"no parent feature", parent, false, kPluginUri},
        {"another plug-in", parent, true, "urn:another"},
    };
    const auto refuseAll = [&] {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.what);
            host->features = UiFeatures{};
            host->features.parent = c.parentFeature;
            host->pluginUri = c.pluginUri;
            LV2UI_Widget widget = nullptr;
            EXPECT_EQ(host->Instantiate(c.parent, &widget), nullptr);
        }
        host->pluginUri = kPluginUri;
    };
    for (int i = 0; i < 5; ++i) refuseAll();
    const ProcessCounts before = CountProcessResources();
    for (int i = 0; i < 50; ++i) refuseAll();
    ExpectNoGrowthSince(before);
    // The same parent takes a UI when nothing else is wrong.
    host->features = UiFeatures{};
    LV2UI_Widget widget = nullptr;
    LV2UI_Handle ui = host->Instantiate(parent, &widget);
    EXPECT_NE(ui, nullptr);
    EXPECT_NE(widget, nullptr);
    if (ui != nullptr) host->Descriptor()->cleanup(ui);
    XDestroyWindow(display, own);
    XCloseDisplay(display);
}

TEST_F(Lv2UiTest, FiveHundredOpenCloseCyclesLeakNothing) {
    ExpectEditorCyclesLeakNothing(*window, *host, 500);
}

}  // namespace
}  // namespace tav::lv2test
