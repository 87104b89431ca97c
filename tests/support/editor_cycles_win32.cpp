#include <gtest/gtest.h>

#include "tests/support/editor_cycles.h"
#include "tests/support/editor_cycles_platform.h"
#include "tests/support/gui_object_counts.h"

namespace tav::test {

ResourceCounts CountResources() {
    return {{"GDI objects", CountGdiObjects()}, {"windows", CountWindows()}};
}

void ExpectNoGrowth(const ResourceCounts& before) {
    const ResourceCounts now = CountResources();
    for (size_t i = 0; i < now.size(); ++i)
        EXPECT_LE(now[i].second, before[i].second) << now[i].first;
}

}  // namespace tav::test
