// Windows: the face's window objects, for the open/close cycles.
#include <windows.h>

#include "tests/support/gui_object_counts.h"
#include "tests/vst3/editor_view_test.h"

namespace tav::vst3test {

const char* const kPlatformName = "windows";

void PointSettingsAt(const std::string& folder) {
    SetEnvironmentVariableA("APPDATA", folder.c_str());
}

ResourceCounts CountResources() {
    return {{{"GDI objects", test::CountGdiObjects()}, {"windows", test::CountWindows()}}};
}

void ExpectNoGrowth(const ResourceCounts& before) {
    const ResourceCounts now = CountResources();
    for (size_t i = 0; i < now.counts.size(); ++i) {
        EXPECT_LE(now.counts[i].second, before.counts[i].second) << now.counts[i].first;
    }
}

}  // namespace tav::vst3test
