// Flushes denormals to zero for a scope and gives the host its own floating-point
// control state back afterwards.
#pragma once

#include "core/fp_control.h"

namespace tav {

class DenormalGuard {
  public:
    DenormalGuard() : saved_(ReadFpControl()) { WriteFpControl(saved_ | kFlushDenormals); }
    ~DenormalGuard() { WriteFpControl(saved_); }
    DenormalGuard(const DenormalGuard&) = delete;
    DenormalGuard& operator=(const DenormalGuard&) = delete;

  private:
    uint64_t saved_;
};

}  // namespace tav
