#pragma once

#include <cstddef>

namespace tav {

// Number <-> text conversions that never consult the C locale: a host may run with
// a locale whose decimal mark is a comma, and saved texts must read back the same.

// Reads a decimal number from the start of text: leading white space, an optional
// sign, digits with an optional fraction and exponent; the rest is ignored. No
// number gives 0. A magnitude beyond the double range gives an infinity.
double ParseDecimal(const char* text);

// "%.*f" in the C locale; the result is cut to fit outSize (terminator included).
void FormatFixed(double x, int decimals, char* out, size_t outSize);

// Copies a NUL-terminated text into a buffer of outSize bytes, cutting it to fit.
void CopyText(char* out, size_t outSize, const char* text);

}  // namespace tav
