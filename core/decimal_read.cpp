#include "core/decimal_read.h"

#include <charconv>

namespace tav {

DecimalRead ReadDecimal(const char* begin, const char* end, double& value) {
    const auto result = std::from_chars(begin, end, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) return DecimalRead::OutOfRange;
    return result.ec == std::errc() ? DecimalRead::Ok : DecimalRead::Invalid;
}

}  // namespace tav
