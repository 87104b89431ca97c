#include <dirent.h>

#include "tests/editor_x11/process_counts.h"
#include "tests/support/editor_cycles.h"
#include "tests/support/editor_cycles_platform.h"

namespace tav::test {

ResourceCounts CountResources() {
    const ProcessCounts counts = CountProcessResources();
    return {{"descriptors", counts.descriptors},
            {"shared memory segments", counts.sharedSegments},
            {"resident kB", counts.residentKb}};
}

void ExpectNoGrowth(const ResourceCounts& before) {
    ProcessCounts counts;
    counts.descriptors = static_cast<int>(before[0].second);
    counts.sharedSegments = static_cast<int>(before[1].second);
    counts.residentKb = before[2].second;
    ExpectNoGrowthSince(counts);
}

int ThreadCount() {
    int count = 0;
    if (DIR* tasks = opendir("/proc/self/task")) {
        while (dirent* entry = readdir(tasks)) count += entry->d_name[0] != '.';
        closedir(tasks);
    }
    return count;
}

}  // namespace tav::test
