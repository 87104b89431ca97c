#include "core/thread_roles.h"

#ifdef TAV_THREAD_CHECKS

#include <windows.h>

namespace tav {

// Read from the thread's own block in user mode: no system call.
uintptr_t ThreadRoles::ThisThread() {
    return static_cast<uintptr_t>(GetCurrentThreadId());
}

}  // namespace tav

#endif
