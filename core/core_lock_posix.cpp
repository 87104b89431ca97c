#include <mutex>
#include <new>

#include "core/core_lock.h"

namespace tav {

namespace {
std::recursive_mutex& Mutex(unsigned char* storage) {
    return *std::launder(reinterpret_cast<std::recursive_mutex*>(storage));
}
}  // namespace

static_assert(sizeof(std::recursive_mutex) <= 64 && alignof(std::recursive_mutex) <= 16);

CoreLock::CoreLock() {
    new (storage_) std::recursive_mutex();
}
CoreLock::~CoreLock() {
    Mutex(storage_).~recursive_mutex();
}
void CoreLock::LockNative() {
    Mutex(storage_).lock();
}
void CoreLock::UnlockNative() {
    Mutex(storage_).unlock();
}
bool CoreLock::TryLockNative() {
    return Mutex(storage_).try_lock();
}

}  // namespace tav
