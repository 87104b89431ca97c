#pragma once

#include <cstdint>
#include <cstdlib>

namespace tav {

// Recognises double-clicks from single presses, for window systems that report only
// those: a second press of the same button, soon enough and close enough to the
// first, completes a double-click. The press after a double-click starts afresh.
class ClickTracker {
  public:
    static constexpr uint32_t kMaxIntervalMs = 450;
    static constexpr int kMaxDistance = 4;

    // timeMs is the window system's millisecond clock, which may wrap around.
    bool Press(int button, int x, int y, uint32_t timeMs) {
        const bool isDouble = armed_ && button == button_ && timeMs - timeMs_ <= kMaxIntervalMs &&
                              std::abs(x - x_) <= kMaxDistance && std::abs(y - y_) <= kMaxDistance;
        armed_ = !isDouble;
        button_ = button;
        x_ = x;
        y_ = y;
        timeMs_ = timeMs;
        return isDouble;
    }

    // A press that turned into a drag is not the first half of a double-click.
    void Moved(int x, int y) {
        if (std::abs(x - x_) > kMaxDistance || std::abs(y - y_) > kMaxDistance) armed_ = false;
    }

    void Reset() { armed_ = false; }

  private:
    bool armed_ = false;
    int button_ = 0;
    int x_ = 0;
    int y_ = 0;
    uint32_t timeMs_ = 0;
};

}  // namespace tav
