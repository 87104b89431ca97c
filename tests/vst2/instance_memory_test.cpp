// What instances whose editor never opens cost: 100 of them made, run for a block
// and closed, five times over, the way a DAW loads a large session. The editor's
// canvas holds pixels only while it is shown, so an instance stays small.
#include <gtest/gtest.h>
#include <malloc.h>

#include <iostream>
#include <memory>
#include <vector>

#include "host/formats/hosted_vst2.h"
#include "tests/soak/process_memory.h"
#include "tests/vst2/module_paths.h"

namespace tav {
namespace {

constexpr int kInstances = 100;
constexpr int kRounds = 5;
constexpr int64_t kMaxBytesPerInstance = 250 * 1024;

// Bytes the heap has handed out, large blocks (mapped on their own) included: they
// count whether or not their pages have been touched yet.
int64_t HeapBytes() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<int64_t>(info.uordblks + info.hblkhd);
}

TEST(InstanceMemory, HundredInstancesWithoutEditorsStaySmall) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's own memory hides the instances'";
#endif
    const std::string path = ModulePath("product");
    if (path.empty()) GTEST_SKIP() << "no product module built";
    // The module stays loaded throughout, as in a host: its first load is not counted.
    std::string error;
    auto keeper = HostedVst2::Load(path, HostSettings(), &error);
    ASSERT_TRUE(keeper) << error;
    constexpr int kFrames = 512;
    std::vector<float> in(kFrames * 2, 0.0f), out(kFrames * 2);
    float* inputs[2] = {in.data(), in.data() + kFrames};
    float* outputs[2] = {out.data(), out.data() + kFrames};
    // The steady state: what the process holds with the last round's instances alive
    // over what it held before the first (the allocator keeps freed memory for the
    // next round, so a round's own growth says little).
    const int64_t start = MeasureProcessMemory().privateBytes;
    int64_t resident = 0, heap = 0;
    for (int round = 1; round <= kRounds; ++round) {
        const int64_t heapBefore = HeapBytes();
        std::vector<std::unique_ptr<HostedVst2>> plugins;
        for (int i = 0; i < kInstances; ++i) {
            plugins.push_back(HostedVst2::Load(path, HostSettings(), &error));
            ASSERT_TRUE(plugins.back()) << error;
            plugins.back()->Start();
            plugins.back()->Process(ProcessKind::Replacing, inputs, outputs, kFrames);
        }
        const int64_t loaded = MeasureProcessMemory().privateBytes;
        heap = (HeapBytes() - heapBefore) / kInstances;
        resident = (loaded - start) / kInstances;
        plugins.clear();
        std::cout << "round " << round << ": " << loaded / 1024 << " KiB resident with "
                  << kInstances << " instances (" << start / 1024 << " KiB without); per instance "
                  << resident / 1024 << " KiB resident, " << heap / 1024 << " KiB of heap\n";
    }
    RecordProperty("ResidentBytesPerInstance", static_cast<int>(resident));
    RecordProperty("HeapBytesPerInstance", static_cast<int>(heap));
    EXPECT_LE(resident, kMaxBytesPerInstance);
    EXPECT_LE(heap, kMaxBytesPerInstance);
}

}  // namespace
}  // namespace tav
