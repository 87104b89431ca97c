#include <windows.h>

#include <cstdint>

#include "tests/support/gui_object_counts.h"

namespace tav::test {
namespace {

BOOL CALLBACK CountChild(HWND, LPARAM counter) {
    ++*reinterpret_cast<int*>(counter);
    return TRUE;
}

// EnumChildWindows walks every descendant, so each top-level window needs it once.
BOOL CALLBACK CountTopLevel(HWND hwnd, LPARAM counter) {
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    if (process != GetCurrentProcessId()) return TRUE;
    ++*reinterpret_cast<int*>(counter);
    EnumChildWindows(hwnd, CountChild, counter);
    return TRUE;
}

}  // namespace

int CountGdiObjects() {
    const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported != 0) return static_cast<int>(reported);
    int count = 0;
    for (uintptr_t index = 1; index < 0x10000; ++index)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++count;
    return count;
}

int CountWindows() {
    int count = 0;
    EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&count));
    return count;
}

}  // namespace tav::test
