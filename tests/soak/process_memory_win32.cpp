#include <windows.h>
// psapi.h needs the types windows.h declares.
#include <psapi.h>

#include "tests/soak/process_memory.h"

namespace tav {
namespace {

// Windows of this process, children included: where GetGuiResources is a stub
// (Wine), a window left behind still shows.
BOOL CALLBACK CountWindow(HWND hwnd, LPARAM counter) {
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    if (process != GetCurrentProcessId()) return TRUE;
    ++*reinterpret_cast<int64_t*>(counter);
    EnumChildWindows(hwnd, CountWindow, counter);
    return TRUE;
}

int64_t OwnWindows() {
    int64_t count = 0;
    EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

}  // namespace

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
    m.gdiObjects = GetGuiResources(self, GR_GDIOBJECTS);
    m.userObjects = GetGuiResources(self, GR_USEROBJECTS);
    m.windows = OwnWindows();
    return m;
}

}  // namespace tav
