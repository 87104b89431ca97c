#pragma once

namespace tav {

// The recursive lock of one plug-in instance. The platform primitive lives in
// opaque storage so that no system header reaches the core's users.
//
// Whether an instance needs it is its format's choice: the VST 2 module's threads
// meet at the core under it; the block formats hand everything to the audio thread
// instead and turn it off, before any thread but the creator's uses the instance.
class CoreLock {
  public:
    CoreLock();
    ~CoreLock();
    CoreLock(const CoreLock&) = delete;
    CoreLock& operator=(const CoreLock&) = delete;

    void Lock() {
        if (enabled_) LockNative();
    }
    void Unlock() {
        if (enabled_) UnlockNative();
    }
    bool TryLock() { return !enabled_ || TryLockNative(); }
    void Disable() { enabled_ = false; }
    bool Enabled() const { return enabled_; }

  private:
    void LockNative();
    void UnlockNative();
    bool TryLockNative();

    [[maybe_unused]] alignas(16) unsigned char storage_[64];  // unused where one thread runs
    bool enabled_ = true;
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
