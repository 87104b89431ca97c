#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "core/decimal_read.h"

namespace tav {

// The wasm C++ library reads no floating point from characters; its C library's
// strtod rounds correctly too, and knows no locale but C's.
DecimalRead ReadDecimal(const char* begin, const char* end, double& value) {
    char text[400];
    const auto length = static_cast<size_t>(end - begin);
    if (length >= sizeof text) return DecimalRead::Invalid;
    std::memcpy(text, begin, length);
    text[length] = '\0';
    char* stop = nullptr;
    errno = 0;
    value = std::strtod(text, &stop);
    if (stop != text + length) return DecimalRead::Invalid;
    return errno == ERANGE && (value == 0.0 || value > 1.0) ? DecimalRead::OutOfRange
                                                            : DecimalRead::Ok;
}

}  // namespace tav
