// Reads the digits of a decimal number, already checked for its form ("12.5e-3",
// no sign), the same to the last bit on every platform: correctly rounded.
#pragma once

namespace tav {

enum class DecimalRead { Ok, OutOfRange, Invalid };

DecimalRead ReadDecimal(const char* begin, const char* end, double& value);

}  // namespace tav
