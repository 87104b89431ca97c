// What the process holds, for judging whether a long run leaks.
#pragma once

#include <cstdint>

namespace tav {

struct ProcessMemory {
    int64_t heapBytes = -1;     // allocated and not freed (-1: not known here)
    int64_t privateBytes = -1;  // resident or committed private memory
    int64_t gdiObjects = -1;    // Windows only
    int64_t windows = -1;       // Windows only: the USER objects that can be counted
};

ProcessMemory MeasureProcessMemory();

}  // namespace tav
