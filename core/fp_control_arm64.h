// FPCR: FZ (bit 24) flushes denormal inputs and results to zero, as FTZ and DAZ
// together do on x86-64.
#pragma once

#include <cstdint>

namespace tav {

inline constexpr uint64_t kFlushDenormals = uint64_t{1} << 24;

inline uint64_t ReadFpControl() {
    uint64_t word;
    __asm__ __volatile__("mrs %0, fpcr" : "=r"(word));
    return word;
}
inline void WriteFpControl(uint64_t word) {
    __asm__ __volatile__("msr fpcr, %0" : : "r"(word));
}

}  // namespace tav
