// The processor's floating-point control word, read and written around the audio
// path: MXCSR on x86-64, FPCR on 64-bit ARM. Each has its own flush-to-zero bits.
#pragma once

#include <cstdint>

#if defined(__aarch64__)
#include "core/fp_control_arm64.h"
#elif defined(__x86_64__) || defined(_M_X64)
#include "core/fp_control_x86.h"
#else
#error "no floating-point control for this processor"
#endif
