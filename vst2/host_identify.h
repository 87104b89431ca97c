// Which host is calling: from its product string and vendor version.
#pragma once

#include <cstdint>

namespace tav {

// The host number for a product string (case-insensitive substring tests in a
// fixed order); 0 when no known name is found.
int32_t IdentifyHost(const char* productString);

// A decimal vendor version (40012) as major << 16 | minor << 8 | patch (0x4000C).
int32_t PackHostVersion(int64_t decimalVersion);

}  // namespace tav
