#include "core/core_lock.h"

namespace tav {

// The browser's module runs on the worklet's one thread: the lock is only ever
// taken by its holder again, which a recursive lock allows anyway.
CoreLock::CoreLock() = default;
CoreLock::~CoreLock() = default;
void CoreLock::LockNative() {}
void CoreLock::UnlockNative() {}
bool CoreLock::TryLockNative() {
    return true;
}

}  // namespace tav
