// Flushes denormals to zero (FTZ and DAZ in MXCSR) for a scope and gives the host
// its own floating-point control state back afterwards.
#pragma once

#include <xmmintrin.h>

namespace tav {

class DenormalGuard {
  public:
    static constexpr unsigned kFlushToZero = 0x8000;
    static constexpr unsigned kDenormalsAreZero = 0x0040;

    DenormalGuard() : saved_(_mm_getcsr()) {
        _mm_setcsr(saved_ | kFlushToZero | kDenormalsAreZero);
    }
    ~DenormalGuard() { _mm_setcsr(saved_); }
    DenormalGuard(const DenormalGuard&) = delete;
    DenormalGuard& operator=(const DenormalGuard&) = delete;

  private:
    unsigned saved_;
};

}  // namespace tav
