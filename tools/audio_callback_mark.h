// Marks a plug-in's audio callback for the real-time checker a test may preload into
// the host (tests/support/realtime_checker.c): while a mark is open, the checker
// counts every allocation, lock, wait and system call its thread makes. Without the
// checker a mark costs a test of a null pointer.
#pragma once

namespace tav {

class AudioCallbackMark {
  public:
    AudioCallbackMark();
    ~AudioCallbackMark();
    AudioCallbackMark(const AudioCallbackMark&) = delete;
    AudioCallbackMark& operator=(const AudioCallbackMark&) = delete;
};

}  // namespace tav
