// The effect's editor as a DAW shows it: the real DLL loaded by our host, its editor
// opened in a real window (Wine on a private Xvfb display), driven by window
// messages and read back from the screen.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "effect/editor_layout.h"
#include "effect/phaser_params.h"
#include "host/editor_window.h"
#include "host/formats/hosted_vst2.h"
#include "host/png_file.h"
#include "raster/pixel_rect.h"
#include "tests/support/editor_host_fixture.h"
#include "tests/support/editor_screen.h"
#include "tests/support/gui_object_counts.h"

namespace tav {
namespace {

using namespace test;

// Channels may differ by this much before a pixel counts as different, and this many
// pixels may differ before two pictures of the editor count as different (text
// rasterisers differ a little between font versions).
constexpr int kChannelTolerance = 24;
constexpr int kPixelTolerance = 200;

const PixelRect kLabel = kThresholdLabelRect;

inline constexpr char kModule[] = TAV_PRODUCT_MODULE_PATH;

class EditorWindowTest : public test::EditorHostFixture<HostedVst2, kModule> {
  protected:
    RgbImage background = ReadSource("img/bg.png");
};

TEST_F(EditorWindowTest, ReportsItsEditorAndSize) {
    EXPECT_EQ(plugin->Effect()->flags, 0x1019);
    EXPECT_EQ(window->EditorWidth(), kEditorWidth);
    EXPECT_EQ(window->EditorHeight(), kEditorHeight);
}

TEST_F(EditorWindowTest, ScreenshotsMatchTheReferences) {
    struct Case {
        int program;
        const char* name;
    };
    for (const Case c : {Case{0, "editor-default"}, Case{1, "editor-psy-asymetric"}}) {
        SCOPED_TRACE(c.name);
        plugin->SetProgram(c.program);
        ASSERT_TRUE(window->WaitTicks(2));
        const RgbImage shot = Shot();
        RgbImage reference;
        std::string error;
        const bool haveReference =
            ReadPngFile(std::string(TAV_SOURCE_DIR) + "/tests/effect/data/" + c.name + ".png",
                        &reference, &error) &&
            reference.width == shot.width && reference.height == shot.height;
        const int differing =
            haveReference
                ? CountDiffering(shot, reference, PixelRect{0, 0, shot.width, shot.height},
                                 kChannelTolerance)
                : -1;
        std::cout << c.name << ": " << differing << " pixels differ from the reference\n";
        if (!haveReference || differing > kPixelTolerance) {
            const std::string saved = std::string(TAV_BINARY_DIR) + "/" + c.name + ".new.png";
            WritePngFile(saved, shot, &error);
            ADD_FAILURE() << differing << " pixels differ (" << error << "); the new picture is "
                          << saved << "; checks/refresh-editor-references redraws the references";
        }
    }
}

TEST_F(EditorWindowTest, KnobValueStripsAreInkedAtTheDefaults) {
    const RgbImage shot = Shot();
    for (const KnobPlacement& k : kKnobPlacements) {
        SCOPED_TRACE(k.paramIndex);
        // Even the shortest value text (1/2) covers far more than a few stray pixels.
        EXPECT_GT(CountDiffering(shot, background, KnobStrip(k), kChannelTolerance), 20);
    }
}

TEST_F(EditorWindowTest, AccentAndMirrorFollowTheHost) {
    const RgbImage options = ReadSource("img/radio.png");
    const RgbImage lit = ReadSource("img/but.png");
    for (int option = 0; option < 3; ++option) {
        SCOPED_TRACE(option);
        HostSets(ParamAccent, option * 0.5);
        const RgbImage shot = Shot();
        for (int i = 0; i < 3; ++i) {
            const PixelRect r = AccentOption(i);
            if (i == option)
                EXPECT_EQ(CountDiffering(shot, r, options, 0, 24 * i, kChannelTolerance), 0);
            else
                EXPECT_EQ(CountDiffering(shot, background, r, kChannelTolerance), 0);
        }
    }
    HostSets(ParamFilterMirror, 0.0);
    EXPECT_EQ(CountDiffering(Shot(), background, kMirror, kChannelTolerance), 0);
    HostSets(ParamFilterMirror, 1.0);
    EXPECT_EQ(CountDiffering(Shot(), kMirror, lit, 0, 0, kChannelTolerance), 0);
}

TEST_F(EditorWindowTest, DraggingCoversTheRangeInFourKnobHeights) {
    struct Case {
        MouseKeys keys;
        int pixels;
        double unit;
    };
    const KnobPlacement& knob = kKnobPlacements[0];
    // Shift and Control each gear the drag down tenfold.
    for (const Case& c : {Case{{}, 284, 1.0}, Case{{}, 142, 0.5}, Case{{true, false}, 2840, 1.0},
                          Case{{true, false}, 1420, 0.5}, Case{{false, true}, 284, 0.1}}) {
        SCOPED_TRACE(c.pixels);
        HostSets(knob.paramIndex, 0.0);
        window->MouseDown(knob.centreX, knob.centreY, c.keys);
        const int steps = 20;
        for (int i = 1; i <= steps; ++i)
            window->MouseMove(knob.centreX, knob.centreY - c.pixels * i / steps, c.keys);
        window->MouseUp(knob.centreX, knob.centreY - c.pixels, c.keys);
        // Frequencies are whole hertz, so the unit lands within a step of the target.
        EXPECT_NEAR(plugin->GetParameter(knob.paramIndex), c.unit, 2e-3);
    }
}

TEST_F(EditorWindowTest, TheSharedEdgeOfTwoAccentOptionsBelongsToTheLowerOne) {
    HostSets(ParamAccent, 0.0);
    window->Click(260, 164);
    EXPECT_EQ(plugin->GetParameter(ParamAccent), 0.5f);
    window->Click(260, 163);
    EXPECT_EQ(plugin->GetParameter(ParamAccent), 0.0f);
}

TEST_F(EditorWindowTest, ThresholdLabelShowsTheUnitWhileItsBoxIsOpen) {
    const RgbImage idle = Shot();
    EXPECT_GT(CountDiffering(idle, background, kLabel, kChannelTolerance), 20)
        << "the label reads nothing";
    window->Click(490, 313);
    ASSERT_TRUE(window->WaitTicks(2));
    HWND box = GetWindow(static_cast<HWND>(window->EditorHandle()), GW_CHILD);
    ASSERT_NE(box, nullptr) << "no entry box opened";
    // The box sits over the middle of the label; its right end shows the unit.
    const PixelRect rightEnd{496, 305, 508, 321};
    const RgbImage active = Shot();
    EXPECT_GT(CountDiffering(active, idle, rightEnd, kChannelTolerance), 5);
    EXPECT_GT(CountDiffering(active, background, rightEnd, kChannelTolerance), 5);

    // Enter takes the value as shown and closes the box.
    SetFocus(box);
    window->PressKey(VK_RETURN);
    ASSERT_TRUE(window->WaitTicks(3));
    EXPECT_EQ(GetWindow(static_cast<HWND>(window->EditorHandle()), GW_CHILD), nullptr);
    EXPECT_EQ(CountDiffering(Shot(), idle, kLabel, kChannelTolerance), 0);
}

TEST_F(EditorWindowTest, HostChangesRepaintAtTheNextTick) {
    const KnobPlacement& knob = kKnobPlacements[3];
    const RgbImage before = Shot();
    plugin->SetParameter(knob.paramIndex, 1.0f);
    ASSERT_TRUE(window->WaitTicks(1));
    const RgbImage after = Shot();
    EXPECT_GT(CountDiffering(after, before, KnobStrip(knob), kChannelTolerance), 20);
    EXPECT_GT(CountDiffering(after, before, KnobRegion(knob), kChannelTolerance), 40);
}

TEST_F(EditorWindowTest, OpeningAndClosingLeaksNoObjects) {
    std::string error;
    window->CloseEditor();
    ASSERT_TRUE(window->OpenEditor(*plugin, &error)) << error;
    ASSERT_TRUE(window->WaitTicks(1));
    window->CloseEditor();
    const int gdi = CountGdiObjects();
    const int windows = CountWindows();
    ASSERT_GT(gdi, 0);
    for (int i = 0; i < 200; ++i) {
        ASSERT_TRUE(window->OpenEditor(*plugin, &error)) << error;
        ASSERT_TRUE(window->WaitTicks(1));
        window->CloseEditor();
    }
    EXPECT_EQ(CountGdiObjects(), gdi);
    EXPECT_EQ(CountWindows(), windows);
    ASSERT_TRUE(window->OpenEditor(*plugin, &error)) << error;
}

}  // namespace
}  // namespace tav
