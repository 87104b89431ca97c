#include "wam/web_param_info.h"

#include <cstring>

namespace tav::web {

int32_t CopyCut(char* out, size_t size, const char* text) {
    if (out == nullptr || size == 0) return 0;
    const size_t length = text != nullptr ? strnlen(text, size - 1) : 0;
    if (length > 0) std::memcpy(out, text, length);
    out[length] = '\0';
    return static_cast<int32_t>(length);
}

bool DescribeParam(const HostParams& params, int position, WebParamInfo& out) {
    HostParamInfo param;
    if (position < 0 || !params.Describe(position, param)) return false;
    out = WebParamInfo{};
    out.id = param.id;
    if (param.automatable) out.flags |= kWebParamAutomatable;
    if (param.stepped) out.flags |= kWebParamStepped;
    if (param.list) out.flags |= kWebParamList;
    if (param.target.role == HostParamRole::Bypass) out.flags |= kWebParamBypass;
    if (param.whole) out.flags |= kWebParamWhole;
    out.stepCount = param.stepCount;
    out.minPlain = param.minPlain;
    out.maxPlain = param.maxPlain;
    out.defaultPlain = param.defaultPlain;
    CopyCut(out.name, sizeof out.name, param.name);
    CopyCut(out.unit, sizeof out.unit, param.unit);
    return true;
}

}  // namespace tav::web
