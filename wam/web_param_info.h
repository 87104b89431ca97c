// One host parameter as the worklet reads it from the module's memory: a record
// of fixed layout (the offsets are the page's too, in web/plugin/wasm_plugin.js),
// holding what CLAP's get_info tells its hosts, with the unit and step count.
#pragma once

#include <cstddef>
#include <cstdint>

#include "effect/host_params.h"

namespace tav::web {

enum WebParamFlags : uint32_t {
    kWebParamAutomatable = 1,
    kWebParamStepped = 2,
    kWebParamList = 4,
    kWebParamBypass = 8,
    kWebParamWhole = 16,
};

struct WebParamInfo {
    uint32_t id;
    uint32_t flags;
    int32_t stepCount;
    int32_t reserved;
    double minPlain;
    double maxPlain;
    double defaultPlain;
    char name[64];
    char unit[32];
};
static_assert(offsetof(WebParamInfo, minPlain) == 16 && offsetof(WebParamInfo, name) == 40 &&
              offsetof(WebParamInfo, unit) == 104 && sizeof(WebParamInfo) == 136);

// The parameter at a position in the hosts' order; false past the last.
bool DescribeParam(const HostParams& params, int position, WebParamInfo& out);

// Copies text into a buffer of size bytes, cut short to fit, always ended; the
// length copied.
int32_t CopyCut(char* out, size_t size, const char* text);

}  // namespace tav::web
