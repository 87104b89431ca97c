// Windows: the editor's window objects, for the create/destroy cycles.
#include "tests/clap/clap_editor_test.h"
#include "tests/support/gui_object_counts.h"

namespace tav::claptest {

std::vector<std::pair<std::string, long>> CountResources() {
    return {{"GDI objects", test::CountGdiObjects()}, {"windows", test::CountWindows()}};
}

void ExpectNoGrowth(const std::vector<std::pair<std::string, long>>& before) {
    const auto now = CountResources();
    for (size_t i = 0; i < now.size(); ++i)
        EXPECT_LE(now[i].second, before[i].second) << now[i].first;
}

}  // namespace tav::claptest
