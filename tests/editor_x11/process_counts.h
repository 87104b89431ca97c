// What the test process holds, for telling whether editor open/close cycles leak.
#pragma once

namespace tav::test {

struct ProcessCounts {
    int descriptors = 0;     // open file descriptors
    int sharedSegments = 0;  // shared-memory segments this process created and still exist
    long residentKb = 0;
};

ProcessCounts CountProcessResources();

// Expects no more descriptors or segments than `before`, and (outside AddressSanitizer,
// which holds freed memory back on purpose) less than a megabyte of resident growth.
void ExpectNoGrowthSince(const ProcessCounts& before);

}  // namespace tav::test
