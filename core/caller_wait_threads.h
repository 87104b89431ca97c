#pragma once

#include <chrono>
#include <mutex>
#include <thread>

namespace tav {

using CallerLock = std::mutex;
using CallerGuard = std::lock_guard<std::mutex>;

// A caller's wait on the audio thread, bounded in time.
class CallerPatience {
  public:
    explicit CallerPatience(std::chrono::milliseconds limit)
        : giveUp_(std::chrono::steady_clock::now() + limit) {}
    bool Expired() const { return std::chrono::steady_clock::now() > giveUp_; }
    static void GiveWay() { std::this_thread::yield(); }
    static void Pause() { std::this_thread::sleep_for(std::chrono::microseconds(200)); }

  private:
    std::chrono::steady_clock::time_point giveUp_;
};

}  // namespace tav
