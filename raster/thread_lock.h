#pragma once

// The lock the shared caches take. The browser's module runs on one thread and its
// C++ library has no threads at all: there the lock is nothing.
#if defined(TAV_PLATFORM_WEB)

namespace tav {

class ThreadLock {
  public:
    void lock() {}
    void unlock() {}
};

class ThreadLockGuard {
  public:
    explicit ThreadLockGuard(ThreadLock&) {}
    ThreadLockGuard(const ThreadLockGuard&) = delete;
    ThreadLockGuard& operator=(const ThreadLockGuard&) = delete;
};

}  // namespace tav

#else

#include <mutex>

namespace tav {

using ThreadLock = std::mutex;
using ThreadLockGuard = std::lock_guard<std::mutex>;

}  // namespace tav

#endif
