// Which thread an instance's host calls may come from, checked at every entry
// point in test builds (TAV_THREAD_CHECKS): a host that breaks its format's rule
// gets one line on stderr per entry point and instance, and the call goes on as
// it would without the check. In other builds every member is an empty inline
// function, so the audio path costs nothing.
//
// The main thread (CLAP's main thread, VST 3's UI thread, an LV2 UI's thread) is
// the one that initialised the instance. The audio thread is whichever thread is
// inside an audio callback: hosts may move it, but never run two at once, never
// one beside a call of the instantiation class (LV2), and once the audio has run
// off the main thread, audio calls do not come from the main thread any more
// until the next activation.
//
// Nothing here locks, allocates or makes a system call unless it reports.
#pragma once

#include <atomic>
#include <cstdint>

namespace tav {

enum class ThreadRole : uint8_t {
    Main,         // the main thread, never inside an audio callback
    MainOrAudio,  // the main thread or the audio thread
    Audio,        // the audio thread, one call at a time (see AudioScope)
    Exclusive,    // any thread, never beside an audio call (see ExclusiveScope)
};

#if TAV_THREAD_CHECKS

class ThreadRoles {
  public:
    // `format` starts each entry's name ("clap"); `mainName` is what the format
    // calls its main thread ("main thread", "UI thread").
    ThreadRoles(const char* format, const char* mainName);
    ThreadRoles(const ThreadRoles&) = delete;
    ThreadRoles& operator=(const ThreadRoles&) = delete;

    // The calling thread is the instance's main thread from now on.
    void NoteMain();
    // The audio starts afresh (activation): the next audio may run anywhere.
    void NoteRestart() { audioOffMain_.store(false, std::memory_order_relaxed); }
    // For Main and MainOrAudio calls, which return at once.
    void Check(const char* entry, ThreadRole role);

    // Brackets an audio callback: the thread inside is the audio thread.
    class AudioScope {
      public:
        AudioScope(ThreadRoles& roles, const char* entry);
        ~AudioScope();
        AudioScope(const AudioScope&) = delete;
        AudioScope& operator=(const AudioScope&) = delete;

      private:
        ThreadRoles& roles_;
        uintptr_t outer_;  // a callback this one is nested in, on the same thread
    };
    // Brackets a call that must never run beside an audio callback.
    class ExclusiveScope {
      public:
        ExclusiveScope(ThreadRoles& roles, const char* entry);
        ~ExclusiveScope();
        ExclusiveScope(const ExclusiveScope&) = delete;
        ExclusiveScope& operator=(const ExclusiveScope&) = delete;

      private:
        ThreadRoles& roles_;
        uintptr_t outer_;
    };

    // This thread's identity: not zero, distinct among live threads.
    static uintptr_t ThisThread();

  private:
    static constexpr int kReportSlots = 48;

    void CheckMain(const char* entry, uintptr_t self);
    void Report(const char* entry, const char* what, const char* allowed, const char* other);

    const char* format_;
    const char* mainName_;
    std::atomic<uintptr_t> main_{0};
    std::atomic<uintptr_t> audioInside_{0};  // the thread inside an audio callback
    std::atomic<const char*> audioEntry_{nullptr};
    std::atomic<uintptr_t> lastAudio_{0};
    std::atomic<bool> audioOffMain_{false};
    std::atomic<uintptr_t> exclusiveInside_{0};
    std::atomic<const char*> exclusiveEntry_{nullptr};
    // The entries already reported, by the address of their name.
    std::atomic<const char*> reported_[kReportSlots] = {};
};

#else

class ThreadRoles {
  public:
    constexpr ThreadRoles(const char*, const char*) {}
    void NoteMain() {}
    void NoteRestart() {}
    void Check(const char*, ThreadRole) {}

    class AudioScope {
      public:
        AudioScope(ThreadRoles&, const char*) {}
    };
    class ExclusiveScope {
      public:
        ExclusiveScope(ThreadRoles&, const char*) {}
    };
};

#endif

}  // namespace tav
