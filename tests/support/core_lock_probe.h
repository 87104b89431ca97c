#pragma once

#include <future>

#include "core/effect_core.h"

namespace tav::test {

// Whether another thread (the audio's) could take the core lock now. The lock is
// recursive, so only another thread can tell.
inline bool LockFree(IEffectCore& core) {
    return std::async(std::launch::async,
                      [&] {
                          if (!core.Lock().TryLock()) return false;
                          core.Lock().Unlock();
                          return true;
                      })
        .get();
}

}  // namespace tav::test
