// Linux: the run loop our host lends drives the face with no thread of the
// editor's own; keys the host passes on reach the value box; resources.
#include <dirent.h>

#include <cstdlib>

#include "tests/editor_x11/process_counts.h"
#include "tests/vst3/editor_view_test.h"

namespace tav::vst3test {

const char* const kPlatformName = "linux";

void PointSettingsAt(const std::string& folder) {
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
}

ResourceCounts CountResources() {
    const test::ProcessCounts counts = test::CountProcessResources();
    return {{{"descriptors", counts.descriptors},
             {"shared memory segments", counts.sharedSegments},
             {"resident kB", counts.residentKb}}};
}

void ExpectNoGrowth(const ResourceCounts& before) {
    test::ProcessCounts counts;
    counts.descriptors = static_cast<int>(before.counts[0].second);
    counts.sharedSegments = static_cast<int>(before.counts[1].second);
    counts.residentKb = before.counts[2].second;
    test::ExpectNoGrowthSince(counts);
}

namespace {

int Threads() {
    int count = 0;
    if (DIR* tasks = opendir("/proc/self/task")) {
        while (dirent* entry = readdir(tasks)) count += entry->d_name[0] != '.';
        closedir(tasks);
    }
    return count;
}

TEST_F(EditorViewTest, TheHostsRunLoopDrivesTheFaceWithoutAThreadOfItsOwn) {
    window->CloseEditor();
    const int threads = Threads();
    std::string error;
    ASSERT_TRUE(window->OpenEditor(*plugin, &error)) << error;
    EXPECT_EQ(plugin->EditorRunLoop().Registrations(), 2u);  // the timer and the X connection
    EXPECT_EQ(Threads(), threads);
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
    EXPECT_EQ(Threads(), threads + 1);
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
