#pragma once

#include <chrono>

namespace tav {

// Nothing to exclude: the worklet's thread is the only caller.
class CallerLock {
  public:
    void lock() {}
    void unlock() {}
};

class CallerGuard {
  public:
    explicit CallerGuard(CallerLock&) {}
};

// Nothing to wait for: the audio thread is the caller itself, so whatever it has
// not done yet it will not do while we wait.
class CallerPatience {
  public:
    explicit CallerPatience(std::chrono::milliseconds) {}
    static bool Expired() { return true; }
    static void GiveWay() {}
    static void Pause() {}
};

}  // namespace tav
