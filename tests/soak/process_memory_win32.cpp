#include <windows.h>
// psapi.h needs the types windows.h declares.
#include <psapi.h>

#include "tests/soak/process_memory.h"
#include "tests/support/gui_object_counts.h"

namespace tav {

ProcessMemory MeasureProcessMemory() {
    ProcessMemory m;
    HANDLE self = GetCurrentProcess();
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(self, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof counters)) {
        // Wine leaves PrivateUsage at 0; the working set is the next best figure.
        m.privateBytes = static_cast<int64_t>(counters.PrivateUsage != 0 ? counters.PrivateUsage
                                                                         : counters.WorkingSetSize);
    }
    // Bytes in use in every heap of the process: the C runtime keeps its own.
    HANDLE heaps[64];
    const DWORD count = GetProcessHeaps(64, heaps);
    int64_t used = 0;
    for (DWORD i = 0; i < count && i < 64; ++i) {
        if (!HeapLock(heaps[i])) continue;
        PROCESS_HEAP_ENTRY entry = {};
        while (HeapWalk(heaps[i], &entry)) {
            if ((entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) != 0) used += entry.cbData;
        }
        HeapUnlock(heaps[i]);
    }
    if (count > 0) m.heapBytes = used;
    m.gdiObjects = test::CountGdiObjects();
    m.windows = test::CountWindows();
    return m;
}

}  // namespace tav
