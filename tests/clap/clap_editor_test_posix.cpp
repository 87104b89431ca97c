// Linux: our host's timers and descriptor watching drive the editor with no
// thread of the window's own.
#include "tests/clap/clap_editor_test.h"
#include "tests/support/editor_cycles.h"

namespace tav::claptest {

namespace {

TEST_F(ClapEditorTest, TheHostsTimerAndDescriptorDriveTheEditorWithoutAThread) {
    window->CloseEditor();
    const int threads = test::ThreadCount();
    std::string error;
    ASSERT_TRUE(window->OpenEditor(*plugin, &error)) << error;
    EXPECT_EQ(plugin->HostRecord().Timers(), 1);
    EXPECT_EQ(plugin->HostRecord().Fds(), 1);
    EXPECT_EQ(test::ThreadCount(), threads);
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
    EXPECT_EQ(test::ThreadCount(), threads + 1);
    window->CloseEditor();
}

}  // namespace
}  // namespace tav::claptest
