// The Linux module's editor as a DAW shows it: the real Tavrellion.so loaded by our
// host, its editor opened in a real top-level X window on a private Xvfb server,
// driven by XTest input and effEditIdle calls, read back from the screen.
#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
// clang-format on

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "effect/editor_layout.h"
#include "effect/phaser_params.h"
#include "host/editor_window.h"
#include "host/formats/hosted_vst2.h"
#include "host/png_file.h"
#include "tests/editor_x11/process_counts.h"
#include "tests/support/editor_host_fixture.h"
#include "tests/support/editor_screen.h"

namespace tav {
namespace {

using namespace test;

constexpr int kTimeoutMs = 20000;
constexpr int kVkReturn = 0x0D, kVkEscape = 0x1B;

constexpr PixelRect kLabel = kThresholdLabelRect;

// Where only the glyph source may make the two platforms differ.
std::vector<PixelRect> TextStrips() {
    std::vector<PixelRect> strips{kLabel, kVersionRect};
    for (const KnobPlacement& k : kKnobPlacements) strips.push_back(KnobStrip(k));
    return strips;
}

inline constexpr char kModule[] = TAV_PRODUCT_MODULE_PATH;

class EditorModuleTest : public test::EditorHostFixture<HostedVst2, kModule> {
  protected:
    // Idle calls until the screen differs from before inside r.
    static bool ScreenChanges(const RgbImage& before, const PixelRect& r) {
        return window->PumpUntil([&] { return CountDiffering(Shot(), before, r) > 0; }, kTimeoutMs);
    }
    static void RightClick(int x, int y) {
        window->MouseDown(x, y, {}, true);
        window->MouseUp(x, y, {}, true);
    }
    static int Count(VstInt32 opcode) { return plugin->Requests().Count(opcode); }

    RgbImage background = ReadSource("img/bg.png");
};

TEST_F(EditorModuleTest, ReportsItsEditorAndSize) {
    EXPECT_EQ(plugin->Effect()->flags, 0x1019);
    EXPECT_EQ(window->EditorWidth(), kEditorWidth);
    EXPECT_EQ(window->EditorHeight(), kEditorHeight);
}

// The raster code is shared, so outside the text the Linux editor is the DLL's to
// the pixel; the DLL's picture is the reference taken under Wine.
TEST_F(EditorModuleTest, MatchesTheWindowsEditorOutsideTheTextStrips) {
    const RgbImage shot = Shot();
    const RgbImage windows = ReadSource("tests/effect/data/editor-default.png");
    ASSERT_EQ(windows.width, shot.width);
    ASSERT_EQ(windows.height, shot.height);
    const std::vector<PixelRect> strips = TextStrips();
    int outside = 0, inside = 0, stripPixels = 0;
    for (const PixelRect& s : strips) stripPixels += (s.right - s.left) * (s.bottom - s.top);
    for (int y = 0; y < shot.height; ++y) {
        for (int x = 0; x < shot.width; ++x) {
            bool inStrip = false;
            for (const PixelRect& s : strips) inStrip = inStrip || s.Contains(x, y);
            const bool differs = CountDiffering(shot, windows, {x, y, x + 1, y + 1}) != 0;
            (inStrip ? inside : outside) += differs ? 1 : 0;
        }
    }
    std::cout << "Linux and Windows editors at the defaults: " << outside
              << " pixels differ outside the text strips, " << inside << " of " << stripPixels
              << " inside them\n";
    RecordProperty("DifferingInTextStrips", inside);
    EXPECT_EQ(outside, 0);
    if (outside != 0) {
        std::string error;
        WritePngFile(std::string(TAV_BINARY_DIR) + "/editor-linux-default.png", shot, &error);
    }
}

TEST_F(EditorModuleTest, KnobValueStripsAreInked) {
    const RgbImage shot = Shot();
    for (const KnobPlacement& k : kKnobPlacements) {
        SCOPED_TRACE(k.paramIndex);
        EXPECT_GT(CountDiffering(shot, background, KnobStrip(k), 24), 40);
    }
    EXPECT_GT(CountDiffering(shot, background, kLabel, 24), 20) << "the label reads nothing";
}

TEST_F(EditorModuleTest, DragsCoverTheRangeAndModifiersMakeThemFine) {
    struct Case {
        MouseKeys keys;
        int pixels;
        double unit;
    };
    const KnobPlacement& knob = kKnobPlacements[0];
    for (const Case& c : {Case{{}, 284, 1.0}, Case{{}, 142, 0.5}, Case{{true, false}, 284, 0.1},
                          Case{{false, true}, 284, 0.1}}) {
        SCOPED_TRACE(c.pixels);
        HostSets(knob.paramIndex, 0.0);
        plugin->Requests().Clear();
        window->MouseDown(knob.centreX, knob.centreY, c.keys);
        for (int i = 1; i <= 20; ++i)
            window->MouseMove(knob.centreX, knob.centreY - c.pixels * i / 20, c.keys);
        window->MouseUp(knob.centreX, knob.centreY - c.pixels, c.keys);
        ASSERT_TRUE(window->PumpUntil([] { return Count(audioMasterEndEdit) == 1; }, kTimeoutMs));
        EXPECT_NEAR(plugin->GetParameter(knob.paramIndex), c.unit, 2e-3);
        EXPECT_EQ(Count(audioMasterBeginEdit), 1);
        // Let the double-click time pass: the next case's press is a new click.
        window->WaitTicks(12);
    }
}

TEST_F(EditorModuleTest, WheelNotchesAreOneGesture) {
    const KnobPlacement& knob = kKnobPlacements[1];
    HostSets(knob.paramIndex, 0.5);
    plugin->Requests().Clear();
    window->Wheel(knob.centreX, knob.centreY, 3);
    ASSERT_TRUE(window->PumpUntil([] { return Count(audioMasterEndEdit) == 1; }, kTimeoutMs));
    EXPECT_EQ(Count(audioMasterBeginEdit), 1);
    EXPECT_NEAR(plugin->GetParameter(knob.paramIndex), 0.53, 2e-3);
    window->Wheel(knob.centreX, knob.centreY, -2, {false, true});
    ASSERT_TRUE(window->PumpUntil([] { return Count(audioMasterEndEdit) == 2; }, kTimeoutMs));
    EXPECT_NEAR(plugin->GetParameter(knob.paramIndex), 0.528, 2e-3);
}

TEST_F(EditorModuleTest, DoubleClickRestoresTheDefault) {
    const KnobPlacement& knob = kKnobPlacements[4];
    window->Click(knob.centreX, knob.centreY);
    window->Click(knob.centreX, knob.centreY);
    window->WaitTicks(2);
    const float restored = plugin->GetParameter(knob.paramIndex);
    HostSets(knob.paramIndex, restored < 0.5f ? 0.9 : 0.1);
    window->WaitTicks(12);
    window->Click(knob.centreX, knob.centreY);
    window->Click(knob.centreX, knob.centreY);
    ASSERT_TRUE(window->PumpUntil([&] { return plugin->GetParameter(knob.paramIndex) == restored; },
                                  kTimeoutMs));
}

TEST_F(EditorModuleTest, AccentAndMirrorClicks) {
    const RgbImage options = ReadSource("img/radio.png");
    const RgbImage lit = ReadSource("img/but.png");
    for (int option : {0, 2, 1}) {
        SCOPED_TRACE(option);
        const PixelRect r = AccentOption(option);
        window->Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        ASSERT_TRUE(window->PumpUntil(
            [&] { return plugin->GetParameter(ParamAccent) == option * 0.5f; }, kTimeoutMs));
        ASSERT_TRUE(window->WaitTicks(2));
        EXPECT_EQ(CountDiffering(Shot(), r, options, 0, 24 * option), 0);
    }
    const float mirror = plugin->GetParameter(ParamFilterMirror);
    window->Click(kMirror.left + 30, kMirror.top + 17);
    ASSERT_TRUE(window->PumpUntil([&] { return plugin->GetParameter(ParamFilterMirror) != mirror; },
                                  kTimeoutMs));
    if (plugin->GetParameter(ParamFilterMirror) == 1.0f) {
        ASSERT_TRUE(window->WaitTicks(2));
        EXPECT_EQ(CountDiffering(Shot(), kMirror, lit, 0, 0), 0);
    }
}

TEST_F(EditorModuleTest, ValueEntryAppliesOnEnterAndNotOnCancel) {
    const KnobPlacement& knob = kKnobPlacements[2];  // the left depth
    ASSERT_EQ(knob.paramIndex, ParamLeftDepth);
    struct Case {
        const char* what;
        int finishKey;  // 0: a right click cancels
        const char* display;
    };
    const std::string before = plugin->ParamDisplay(ParamLeftDepth);
    for (const Case& c : {Case{"Escape", kVkEscape, before.c_str()},
                          Case{"right click", 0, before.c_str()}, Case{"Enter", kVkReturn, "80"}}) {
        SCOPED_TRACE(c.what);
        const RgbImage idle = Shot();
        const PixelRect aroundCentre{knob.centreX - 30, knob.centreY - 10, knob.centreX + 30,
                                     knob.centreY + 10};
        RightClick(knob.centreX, knob.centreY);  // the value box
        ASSERT_TRUE(ScreenChanges(idle, aroundCentre)) << "no entry box showed";
        window->PressKey('8');
        window->PressKey('0');
        if (c.finishKey != 0)
            window->PressKey(c.finishKey);
        else
            RightClick(10, 320);
        ASSERT_TRUE(window->PumpUntil(
            [&] {
                return CountDiffering(Shot(), idle, aroundCentre) == 0 ||
                       plugin->ParamDisplay(ParamLeftDepth) != before;
            },
            kTimeoutMs));
        window->WaitTicks(2);
        EXPECT_EQ(plugin->ParamDisplay(ParamLeftDepth), c.display);
        window->WaitTicks(12);
    }
}

TEST_F(EditorModuleTest, ThresholdLabelShowsTheUnitWhileItsBoxIsOpen) {
    const RgbImage idle = Shot();
    window->Click((kLabel.left + kLabel.right) / 2, (kLabel.top + kLabel.bottom) / 2);
    const PixelRect rightEnd{496, kLabel.top, kLabel.right, kLabel.bottom};
    ASSERT_TRUE(ScreenChanges(idle, rightEnd));
    const RgbImage active = Shot();
    EXPECT_GT(CountDiffering(active, background, rightEnd, 24), 5);
    window->PressKey(kVkEscape);
    ASSERT_TRUE(
        window->PumpUntil([&] { return CountDiffering(Shot(), idle, kLabel) == 0; }, kTimeoutMs));
}

TEST_F(EditorModuleTest, HostChangesRepaintAtTheNextTick) {
    const KnobPlacement& knob = kKnobPlacements[3];
    const RgbImage before = Shot();
    plugin->SetParameter(knob.paramIndex, 1.0f);
    ASSERT_TRUE(window->WaitTicks(1));
    const RgbImage after = Shot();
    EXPECT_GT(CountDiffering(after, before, KnobStrip(knob)), 20);
    EXPECT_GT(CountDiffering(after, before, KnobRegion(knob)), 40);
}

// A host that never sends effEditIdle still sees the editor paint and follow changes.
TEST_F(EditorModuleTest, PaintsForAHostThatNeverIdles) {
    window->CloseEditor();
    std::string error;
    ASSERT_TRUE(window->OpenEditor(*plugin, &error)) << error;
    const KnobPlacement& knob = kKnobPlacements[5];
    auto waitWithoutIdle = [](const std::function<bool()>& done) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kTimeoutMs);
        while (!done() && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return done();
    };
    const PixelRect corner{0, 0, 40, 40};
    EXPECT_TRUE(waitWithoutIdle([&] { return CountDiffering(Shot(), background, corner) == 0; }))
        << "the background never showed";
    const RgbImage before = Shot();
    plugin->SetParameter(knob.paramIndex, 1.0f);
    EXPECT_TRUE(
        waitWithoutIdle([&] { return CountDiffering(Shot(), before, KnobRegion(knob)) > 40; }));
}

TEST_F(EditorModuleTest, FiveHundredOpenCloseCyclesLeakNothing) {
    std::string error;
    auto cycle = [&] {
        window->CloseEditor();
        ASSERT_TRUE(window->OpenEditor(*plugin, &error)) << error;
        plugin->Dispatch(effEditIdle);
    };
    for (int i = 0; i < 20; ++i) cycle();
    window->CloseEditor();
    const test::ProcessCounts before = test::CountProcessResources();
    for (int i = 0; i < 500; ++i) cycle();
    window->CloseEditor();
    EXPECT_EQ(window->EditorHandle(), nullptr) << "an editor window outlived its close";
    test::ExpectNoGrowthSince(before);
}

}  // namespace
}  // namespace tav
