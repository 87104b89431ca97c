// Linux: our host's timers and descriptor watching drive the editor with no
// thread of the window's own; resources for the create/destroy cycles.
#include <dirent.h>

#include "tests/clap/clap_editor_test.h"
#include "tests/editor_x11/process_counts.h"

namespace tav::claptest {

std::vector<std::pair<std::string, long>> CountResources() {
    const test::ProcessCounts counts = test::CountProcessResources();
    return {{"descriptors", counts.descriptors},
            {"shared memory segments", counts.sharedSegments},
            {"resident kB", counts.residentKb}};
}

void ExpectNoGrowth(const std::vector<std::pair<std::string, long>>& before) {
    test::ProcessCounts counts;
    counts.descriptors = static_cast<int>(before[0].second);
    counts.sharedSegments = static_cast<int>(before[1].second);
    counts.residentKb = before[2].second;
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

TEST_F(ClapEditorTest, TheHostsTimerAndDescriptorDriveTheEditorWithoutAThread) {
    window->CloseEditor();
    const int threads = Threads();
    std::string error;
    ASSERT_TRUE(window->OpenEditor(*plugin, &error)) << error;
    EXPECT_EQ(plugin->HostRecord().Timers(), 1);
    EXPECT_EQ(plugin->HostRecord().Fds(), 1);
    EXPECT_EQ(Threads(), threads);
    const RgbImage before = Shot();
    plugin->SetParamValue(kKnobPlacements[0].paramIndex, 1.0);
    EXPECT_TRUE(window->PumpUntil(
        [&] {
            return test::CountDiffering(Shot(), before, test::KnobRegion(kKnobPlacements[0])) > 40;
        },
        kTimeoutMs));
    window->CloseEditor();
    EXPECT_EQ(plugin->HostRecord().Timers(), 0);
    EXPECT_EQ(plugin->HostRecord().Fds(), 0);

    // A host that lends neither: the window runs itself, as in a VST 2 host.
    auto lone = HostedClap::Load(TAV_CLAP_MODULE, HostSettings(), &error);
    ASSERT_TRUE(lone) << error;
    lone->HostRecord().LendRunLoop(false);
    ASSERT_TRUE(window->OpenEditor(*lone, &error)) << error;
    EXPECT_EQ(Threads(), threads + 1);
    window->CloseEditor();
}

}  // namespace
}  // namespace tav::claptest
