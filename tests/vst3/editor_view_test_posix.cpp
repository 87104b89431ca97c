// Linux: the run loop our host lends drives the face with no thread of the
// editor's own; keys the host passes on reach the value box; resources.
#include <cstdlib>

#include "tests/support/editor_cycles.h"
#include "tests/vst3/editor_view_test.h"

namespace tav::vst3test {

const char* const kPlatformName = "linux";

void PointSettingsAt(const std::string& folder) {
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
}

namespace {

TEST_F(EditorViewTest, TheHostsRunLoopDrivesTheFaceWithoutAThreadOfItsOwn) {
    window->CloseEditor();
    const int threads = test::ThreadCount();
    std::string error;
    ASSERT_TRUE(window->OpenEditor(*plugin, &error)) << error;
    EXPECT_EQ(plugin->EditorRunLoop().Registrations(), 2u);  // the timer and the X connection
    EXPECT_EQ(test::ThreadCount(), threads);
    const RgbImage before = Shot();
    plugin->Controller()->setParamNormalized(kKnobPlacements[0].paramIndex, 1.0);
    EXPECT_TRUE(window->PumpUntil(
        [&] {
            return test::CountDiffering(Shot(), before, test::KnobRegion(kKnobPlacements[0])) > 40;
        },
        kTimeoutMs));
    window->CloseEditor();
    EXPECT_EQ(plugin->EditorRunLoop().Registrations(), 0u);

    // Without a run loop the window runs itself, as in a VST 2 host.
    HostSettings settings;
    settings.vst3RunLoop = false;
    auto lone = HostedVst3::Load(TAV_VST3_BUNDLE, settings, &error);
    ASSERT_TRUE(lone) << error;
    ASSERT_TRUE(window->OpenEditor(*lone, &error)) << error;
    EXPECT_EQ(test::ThreadCount(), threads + 1);
    window->CloseEditor();
}

TEST_F(EditorViewTest, KeysFromTheHostReachTheValueBoxOnce) {
    vst3::IPlugView* view = plugin->View();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->onKeyDown(0, 40, 0), vst3::kResultFalse);  // F1: nothing to do with it
    const KnobPlacement& knob = kKnobPlacements[7];
    const RgbImage idle = Shot();
    window->MouseDown(knob.centreX, knob.centreY, {}, true);
    window->MouseUp(knob.centreX, knob.centreY, {}, true);
    const PixelRect box{knob.centreX - 30, knob.centreY - 10, knob.centreX + 30, knob.centreY + 10};
    ASSERT_TRUE(
        window->PumpUntil([&] { return test::CountDiffering(Shot(), idle, box) > 0; }, kTimeoutMs));
    // A host that passes keys on while X delivers them too: "4", "4" stays "4".
    EXPECT_EQ(view->onKeyDown(u'4', '4' - 0x30 + 128, 0), vst3::kResultTrue);
    window->PressKey('4');
    window->WaitTicks(2);
    EXPECT_EQ(view->onKeyDown(0, 4, 0), vst3::kResultTrue);  // Return
    ASSERT_TRUE(
        window->PumpUntil([&] { return plugin->ParamDisplay(knob.paramIndex) == "4"; }, kTimeoutMs))
        << plugin->ParamDisplay(knob.paramIndex);
}

}  // namespace
}  // namespace tav::vst3test
