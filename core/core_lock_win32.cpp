#include <windows.h>

#include <new>

#include "core/core_lock.h"

namespace tav {

namespace {
CRITICAL_SECTION* Section(unsigned char* storage) {
    return std::launder(reinterpret_cast<CRITICAL_SECTION*>(storage));
}
}  // namespace

static_assert(sizeof(CRITICAL_SECTION) <= 64 && alignof(CRITICAL_SECTION) <= 16);

CoreLock::CoreLock() {
    new (storage_) CRITICAL_SECTION;
    InitializeCriticalSection(Section(storage_));
}
CoreLock::~CoreLock() {
    DeleteCriticalSection(Section(storage_));
}
void CoreLock::LockNative() {
    EnterCriticalSection(Section(storage_));
}
void CoreLock::UnlockNative() {
    LeaveCriticalSection(Section(storage_));
}
bool CoreLock::TryLockNative() {
    return TryEnterCriticalSection(Section(storage_)) != 0;
}

}  // namespace tav
