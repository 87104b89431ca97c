#include "core/thread_roles.h"

#ifdef TAV_THREAD_CHECKS

#include <pthread.h>

namespace tav {

// The C library reads it from the thread pointer: no system call, and unlike a
// thread_local in a module the host loads later, no storage made on first use.
uintptr_t ThreadRoles::ThisThread() {
    return static_cast<uintptr_t>(pthread_self());
}

}  // namespace tav

#endif
