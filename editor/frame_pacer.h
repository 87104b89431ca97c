#pragma once

#include <cstdint>

namespace tav {

// Lets a caller that comes at any rate run a tick at most frameRate times a second:
// ticks are due on a fixed schedule, and a caller that fell behind gets one tick,
// not a burst of catch-up ticks.
class FramePacer {
  public:
    explicit FramePacer(int frameRate)
        : periodMicros_(1000000 / (frameRate > 0 ? frameRate : 24)) {}

    bool Due(int64_t nowMicros) {
        if (started_ && nowMicros < next_) return false;
        const bool fellBehind = !started_ || nowMicros - next_ >= periodMicros_;
        next_ = fellBehind ? nowMicros + periodMicros_ : next_ + periodMicros_;
        started_ = true;
        return true;
    }

    void Reset() { started_ = false; }
    int64_t PeriodMicros() const { return periodMicros_; }

  private:
    int64_t periodMicros_;
    int64_t next_ = 0;
    bool started_ = false;
};

}  // namespace tav
