// MXCSR: FTZ flushes results that underflow, DAZ reads denormal inputs as zero.
#pragma once

#include <xmmintrin.h>

#include <cstdint>

namespace tav {

inline constexpr uint64_t kFlushDenormals = 0x8000 | 0x0040;

inline uint64_t ReadFpControl() {
    return _mm_getcsr();
}
inline void WriteFpControl(uint64_t word) {
    _mm_setcsr(static_cast<unsigned>(word));
}

}  // namespace tav
