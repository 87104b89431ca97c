#include "core/thread_roles.h"

#ifdef TAV_THREAD_CHECKS

namespace tav {

// One thread: every call is the audio thread's, and its own.
uintptr_t ThreadRoles::ThisThread() {
    return 1;
}

}  // namespace tav

#endif
