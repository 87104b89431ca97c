#include <malloc.h>

#include <cstdio>
#include <cstring>

#include "tests/soak/process_memory.h"

namespace tav {

ProcessMemory MeasureProcessMemory() {
    ProcessMemory m;
    m.heapBytes = static_cast<int64_t>(mallinfo2().uordblks);
    if (FILE* status = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, status) != nullptr) {
            long long kib = 0;
            if (std::sscanf(line, "VmRSS: %lld kB", &kib) == 1) m.privateBytes = kib * 1024;
        }
        std::fclose(status);
    }
    return m;
}

}  // namespace tav
