#include "core/thread_roles.h"

#ifdef TAV_THREAD_CHECKS

#include <cstdio>

namespace tav {

ThreadRoles::ThreadRoles(const char* format, const char* mainName)
    : format_(format), mainName_(mainName) {}

void ThreadRoles::NoteMain() {
    main_.store(ThisThread(), std::memory_order_relaxed);
}

void ThreadRoles::Check(const char* entry, ThreadRole role) {
    const uintptr_t self = ThisThread();
    if (role != ThreadRole::MainOrAudio) {
        CheckMain(entry, self);
        return;
    }
    const uintptr_t main = main_.load(std::memory_order_relaxed);
    const uintptr_t audio = lastAudio_.load(std::memory_order_relaxed);
    // Before any audio callback there is no telling which thread the host will use.
    if (main == 0 || self == main || audio == 0 || self == audio ||
        self == audioInside_.load(std::memory_order_relaxed))
        return;
    char allowed[64];
    std::snprintf(allowed, sizeof allowed, "the %s or the audio thread", mainName_);
    Report(entry, "on a third thread", allowed, nullptr);
}

void ThreadRoles::CheckMain(const char* entry, uintptr_t self) {
    char allowed[48];
    std::snprintf(allowed, sizeof allowed, "the %s", mainName_);
    if (audioInside_.load(std::memory_order_relaxed) == self) {
        Report(entry, "on the audio thread", allowed, nullptr);
        return;
    }
    const uintptr_t main = main_.load(std::memory_order_relaxed);
    if (main != 0 && self != main) {
        char what[64];
        std::snprintf(what, sizeof what, "on a thread other than the %s", mainName_);
        Report(entry, what, allowed, nullptr);
    }
}

ThreadRoles::AudioScope::AudioScope(ThreadRoles& roles, const char* entry)
    : roles_(roles), outer_(0) {
    const uintptr_t self = ThisThread();
    const char* inside = roles.audioEntry_.load(std::memory_order_relaxed);
    const uintptr_t before = roles.audioInside_.exchange(self, std::memory_order_acq_rel);
    if (before == self) {
        outer_ = self;
    } else {
        roles.audioEntry_.store(entry, std::memory_order_relaxed);
        if (before != 0) roles.Report(entry, "while", "one audio call at a time", inside);
    }
    const uintptr_t exclusive = roles.exclusiveInside_.load(std::memory_order_acquire);
    if (exclusive != 0 && exclusive != self) {
        roles.Report(entry, "while", "never beside the instantiation calls",
                     roles.exclusiveEntry_.load(std::memory_order_relaxed));
    }
    const uintptr_t main = roles.main_.load(std::memory_order_relaxed);
    if (main != 0 && self == main && roles.audioOffMain_.load(std::memory_order_relaxed)) {
        roles.Report(entry, "on the main thread after the audio ran on another", "the audio thread",
                     nullptr);
    }
    if (main != 0 && self != main) roles.audioOffMain_.store(true, std::memory_order_relaxed);
    roles.lastAudio_.store(self, std::memory_order_relaxed);
}

ThreadRoles::AudioScope::~AudioScope() {
    if (outer_ != 0) return;
    uintptr_t self = ThisThread();
    roles_.audioInside_.compare_exchange_strong(self, 0, std::memory_order_acq_rel);
}

ThreadRoles::ExclusiveScope::ExclusiveScope(ThreadRoles& roles, const char* entry)
    : roles_(roles), outer_(0) {
    const uintptr_t self = ThisThread();
    const uintptr_t before = roles.exclusiveInside_.exchange(self, std::memory_order_acq_rel);
    if (before == self) {
        outer_ = self;
    } else {
        roles.exclusiveEntry_.store(entry, std::memory_order_relaxed);
    }
    const uintptr_t audio = roles.audioInside_.load(std::memory_order_acquire);
    if (audio != 0) {
        roles.Report(entry, audio == self ? "inside" : "while", "never beside the audio calls",
                     roles.audioEntry_.load(std::memory_order_relaxed));
    }
}

ThreadRoles::ExclusiveScope::~ExclusiveScope() {
    if (outer_ != 0) return;
    uintptr_t self = ThisThread();
    roles_.exclusiveInside_.compare_exchange_strong(self, 0, std::memory_order_acq_rel);
}

// One line per entry and instance however often the host repeats the mistake.
// With `other`, `what` is "while" or "inside" and the other call is named.
void ThreadRoles::Report(const char* entry, const char* what, const char* allowed,
                         const char* other) {
    bool first = false;
    for (auto& slot : reported_) {
        const char* seen = slot.load(std::memory_order_relaxed);
        if (seen == nullptr &&
            slot.compare_exchange_strong(seen, entry, std::memory_order_relaxed)) {
            first = true;
            break;
        }
        if (seen == entry) break;
    }
    if (!first) return;
    char line[256];
    if (other != nullptr) {
        std::snprintf(line, sizeof line,
                      "Tavrellion thread check: %s %s called %s %s %s%s (allowed: %s)\n", format_,
                      entry, what, format_, other, what[0] == 'w' ? " runs on another thread" : "",
                      allowed);
    } else {
        std::snprintf(line, sizeof line, "Tavrellion thread check: %s %s called %s (allowed: %s)\n",
                      format_, entry, what, allowed);
    }
    std::fputs(line, stderr);
}

}  // namespace tav

#endif
