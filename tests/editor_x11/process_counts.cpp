#include "tests/editor_x11/process_counts.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace tav::test {
namespace {

int OpenDescriptors() {
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir) != nullptr) ++count;
        closedir(dir);
    }
    return count;
}

int SharedSegments() {
    std::ifstream table("/proc/sysvipc/shm");
    std::string line;
    std::getline(table, line);  // the heading
    int count = 0;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        long key = 0, id = 0, perms = 0, size = 0, creator = 0;
        fields >> key >> id >> perms >> size >> creator;
        if (creator == getpid()) ++count;
    }
    return count;
}

long ResidentKilobytes() {
    // Under qemu-user the process is the emulator, whose resident memory grows with
    // the code it translates: there the program's own heap in use is what can leak.
    if (std::getenv("TAV_UNDER_EMULATOR") != nullptr) {
        const struct mallinfo2 heap = mallinfo2();
        return static_cast<long>((heap.uordblks + heap.hblkhd) / 1024);
    }
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    }
    return -1;
}

}  // namespace

ProcessCounts CountProcessResources() {
    return {OpenDescriptors(), SharedSegments(), ResidentKilobytes()};
}

void ExpectNoGrowthSince(const ProcessCounts& before) {
    const ProcessCounts now = CountProcessResources();
    EXPECT_EQ(now.descriptors, before.descriptors);
    EXPECT_EQ(now.sharedSegments, before.sharedSegments);
#ifndef __SANITIZE_ADDRESS__
    EXPECT_LT(now.residentKb - before.residentKb, 1024) << "resident memory grew";
#endif
}

}  // namespace tav::test
