#include "tests/support/editor_cycles.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/editor_cycles_platform.h"

namespace tav::test {

void ExpectEditorCyclesLeakNothing(EditorHostWindow& window, PluginInstance& plugin, int cycles) {
    std::string error;
    auto cycle = [&] {
        window.CloseEditor();
        ASSERT_TRUE(window.OpenEditor(plugin, &error)) << error;
        window.PumpUntil([] { return false; }, 0);
    };
    for (int i = 0; i < 20; ++i) cycle();
    window.CloseEditor();
    const ResourceCounts before = CountResources();
    for (int i = 0; i < cycles; ++i) cycle();
    window.CloseEditor();
    EXPECT_EQ(window.EditorHandle(), nullptr) << "an editor window outlived its close";
    ExpectNoGrowth(before);
}

}  // namespace tav::test
