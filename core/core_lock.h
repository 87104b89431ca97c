#pragma once

namespace tav {

// The recursive lock of one plug-in instance. The platform primitive lives in
// opaque storage so that no system header reaches the core's users.
class CoreLock {
  public:
    CoreLock();
    ~CoreLock();
    CoreLock(const CoreLock&) = delete;
    CoreLock& operator=(const CoreLock&) = delete;

    void Lock();
    void Unlock();
    bool TryLock();

  private:
    alignas(16) unsigned char storage_[64];
};

// Holds a CoreLock for a scope; a null lock is allowed and does nothing.
class CoreLockGuard {
  public:
    explicit CoreLockGuard(CoreLock* lock) : lock_(lock) {
        if (lock_ != nullptr) lock_->Lock();
    }
    ~CoreLockGuard() {
        if (lock_ != nullptr) lock_->Unlock();
    }
    CoreLockGuard(const CoreLockGuard&) = delete;
    CoreLockGuard& operator=(const CoreLockGuard&) = delete;

  private:
    CoreLock* lock_;
};

}  // namespace tav
