// The interface's UTF-16 strings against our own 8-bit texts, which are ASCII
// or UTF-8.
#pragma once

#include <cstddef>

#include "vst3/vst3_abi.h"

namespace tav::vst3 {

// Copies text into a zero-terminated UTF-16 buffer of capacity units; UTF-8
// sequences become their code points (outside the BMP: a replacement character).
void ToUtf16(const char* text, TChar* out, size_t capacity);
// Copies a zero-terminated UTF-16 string (at most maxUnits long) into UTF-8.
void FromUtf16(const TChar* text, size_t maxUnits, char* out, size_t outSize);

}  // namespace tav::vst3
