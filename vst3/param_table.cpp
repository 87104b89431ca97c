#include "vst3/param_table.h"

#include <cmath>
#include <cstring>

#include "vst3/utf16_text.h"

namespace tav::vst3 {
namespace {

double Clamp01(double v) {
    return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v);
}

}  // namespace

bool ParamTable::Describe(int32 position, ParameterInfo& info) const {
    HostParamInfo param;
    if (!params_.Describe(position, param)) return false;
    std::memset(&info, 0, sizeof info);
    info.unitId = kRootUnitId;
    info.id = param.id;
    ToUtf16(param.name, info.title, 128);
    ToUtf16(param.name, info.shortTitle, 128);
    ToUtf16(param.unit, info.units, 128);
    info.stepCount = param.stepCount;
    info.defaultNormalizedValue = ToNormalized(param.id, param.defaultPlain);
    if (param.automatable) info.flags |= ParameterInfo::kCanAutomate;
    if (param.list) info.flags |= ParameterInfo::kIsList;
    if (param.target.role == HostParamRole::Bypass) info.flags |= ParameterInfo::kIsBypass;
    if (param.target.role == HostParamRole::Program) info.flags |= ParameterInfo::kIsProgramChange;
    return true;
}

int ParamTable::ProgramOf(ParamValue normalized) const {
    const int count = params_.ProgramCount();
    if (count <= 1 || !std::isfinite(normalized)) return 0;
    return static_cast<int>(std::floor(Clamp01(normalized) * (count - 1) + 0.5));
}

ParamValue ParamTable::NormalizedOfProgram(int program) const {
    const int count = params_.ProgramCount();
    if (count <= 1 || program <= 0) return 0.0;
    if (program >= count) return 1.0;
    return static_cast<double>(program) / (count - 1);
}

tresult ParamTable::Text(ParamID id, ParamValue normalized, String128 out) const {
    if (out == nullptr || !std::isfinite(normalized)) return kInvalidArgument;
    char text[128] = {};
    if (!params_.Text(id, ToPlain(id, normalized), text, sizeof text)) return kInvalidArgument;
    ToUtf16(text, out, 128);
    return kResultOk;
}

tresult ParamTable::Parse(ParamID id, const TChar* text, ParamValue& normalized) const {
    if (text == nullptr || !Known(id)) return kInvalidArgument;
    char typed[256] = {};
    FromUtf16(text, 128, typed, sizeof typed);
    double plain = 0.0;
    if (!params_.Parse(id, typed, plain)) return kResultFalse;
    normalized = ToNormalized(id, plain);
    return kResultOk;
}

// A switch's steps are 0 and 1 either way; a program's, its number over the last one's.
ParamValue ParamTable::ToPlain(ParamID id, ParamValue normalized) const {
    const HostParamTarget target = Target(id);
    if (target.role == HostParamRole::Effect) return EffectParam(id)->PlainForUnit(normalized);
    if (!std::isfinite(normalized)) return 0.0;
    switch (target.role) {
        case HostParamRole::Bypass:
        case HostParamRole::Setting:
            return SettingStep(normalized);
        case HostParamRole::Program:
            return ProgramOf(normalized);
        default:
            return 0.0;
    }
}

ParamValue ParamTable::ToNormalized(ParamID id, ParamValue plain) const {
    const HostParamTarget target = Target(id);
    if (target.role == HostParamRole::Effect) return EffectParam(id)->UnitOf(plain);
    if (!std::isfinite(plain)) return 0.0;
    switch (target.role) {
        case HostParamRole::Bypass:
        case HostParamRole::Setting:
            return SettingStep(plain);
        case HostParamRole::Program:
            return NormalizedOfProgram(static_cast<int>(std::floor(plain + 0.5)));
        default:
            return 0.0;
    }
}

}  // namespace tav::vst3
