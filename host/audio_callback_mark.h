// Marks a plug-in's audio callback for the real-time checker a test may preload into
// the host (checks/realtime_checker.c): while a mark is open, the checker
// counts every allocation, lock, wait and system call its thread makes. Without the
// checker a mark costs a test of a null pointer. With callback times kept, each
// mark also times its callback, as the audio thread of a host under load sees it.
#pragma once

#include <chrono>
#include <cstddef>
#include <ostream>

namespace tav {

class AudioCallbackMark {
  public:
    AudioCallbackMark();
    ~AudioCallbackMark();
    AudioCallbackMark(const AudioCallbackMark&) = delete;
    AudioCallbackMark& operator=(const AudioCallbackMark&) = delete;

    // Room for the times of up to capacity callbacks, made before the audio starts
    // (one thread's callbacks at a time); later ones are counted, not kept.
    static void KeepCallbackTimes(std::size_t capacity);
    // Median, 99th and 99.99th percentiles and the longest, in microseconds.
    static void PrintCallbackTimes(std::ostream& out);

  private:
    std::chrono::steady_clock::time_point start_;
};

}  // namespace tav
