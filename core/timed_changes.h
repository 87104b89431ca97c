// The changes of one audio block at their sample offsets, and the block split at
// them: each change lands before the first frame it applies to. Fixed capacity:
// nothing allocates on the audio thread.
#pragma once

#include <algorithm>
#include <cstdint>

namespace tav {

// What a change sets: a parameter (by index, to a unit value), bypass, one of the
// effect's settings that are not parameters, the program, or the tempo (BPM).
enum class ChangeKind : uint8_t { Param, Bypass, Setting, Program, Tempo };

struct TimedChange {
    int32_t offset;
    int32_t order;  // arrival, so that equal offsets keep their order
    ChangeKind kind;
    int32_t index;
    double value;
};

class TimedChanges {
  public:
    static constexpr int kCapacity = 1024;

    void Clear() { count_ = 0; }
    int Count() const { return count_; }
    int Room() const { return kCapacity - count_; }
    const TimedChange& At(int i) const { return changes_[i]; }
    // Offsets are bounded into [0, frames]; false when full.
    bool Add(int32_t offset, int32_t frames, ChangeKind kind, int32_t index, double value) {
        if (count_ >= kCapacity) return false;
        changes_[count_] = TimedChange{std::clamp(offset, 0, frames), count_, kind, index, value};
        ++count_;
        return true;
    }
    void Sort() {
        std::sort(changes_, changes_ + count_, [](const TimedChange& a, const TimedChange& b) {
            return a.offset != b.offset ? a.offset < b.offset : a.order < b.order;
        });
    }
    // Calls apply(change) for each change and run(offset, frames) for each
    // stretch of frames between them; every change is applied, even past the end.
    template <class Apply, class Run>
    void Play(int32_t frames, Apply&& apply, Run&& run) const {
        int i = 0;
        int32_t cursor = 0;
        while (cursor < frames) {
            while (i < count_ && changes_[i].offset <= cursor) apply(changes_[i++]);
            const int32_t next = i < count_ ? changes_[i].offset : frames;
            run(cursor, next - cursor);
            cursor = next;
        }
        while (i < count_) apply(changes_[i++]);
    }

  private:
    TimedChange changes_[kCapacity] = {};
    int count_ = 0;
};

}  // namespace tav
