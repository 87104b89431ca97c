#include "vst3/param_table.h"

#include <cmath>
#include <cstring>

#include "core/format_params.h"
#include "core/number_text.h"
#include "effect/extra_settings.h"
#include "vst3/utf16_text.h"

namespace tav::vst3 {
namespace {

double Clamp01(double v) {
    return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v);
}

}  // namespace

int32 ParamTable::StepCount(const PluginParam& param) const {
    if (param.kind != KindChoice) return 0;
    const double steps = param.maxValue - param.minValue;
    return steps >= 1.0 ? static_cast<int32>(steps) : 0;
}

bool ParamTable::Known(ParamID id) const {
    return id < static_cast<ParamID>(core_.ParamCount()) || id == kBypassParamId ||
           id == kProgramParamId || SettingOfParamId(id) >= 0;
}

PluginParam* ParamTable::EffectParam(ParamID id) const {
    return id < static_cast<ParamID>(core_.ParamCount()) ? core_.Param(static_cast<int>(id))
                                                         : nullptr;
}

bool ParamTable::Describe(int32 position, ParameterInfo& info) const {
    if (position < 0 || position >= Count()) return false;
    std::memset(&info, 0, sizeof info);
    info.unitId = kRootUnitId;
    if (position < core_.ParamCount()) {
        const PluginParam& param = *core_.Param(position);
        info.id = static_cast<ParamID>(position);
        ToUtf16(param.Name(), info.title, 128);
        ToUtf16(param.Name(), info.shortTitle, 128);
        ToUtf16(param.UnitLabel(), info.units, 128);
        info.stepCount = StepCount(param);
        info.defaultNormalizedValue = param.UnitOf(DefaultPlainValue(core_, position));
        info.flags = ParameterInfo::kCanAutomate;
        if (param.kind == KindChoice) info.flags |= ParameterInfo::kIsList;
        return true;
    }
    if (position == core_.ParamCount()) {
        info.id = kBypassParamId;
        ToUtf16("Bypass", info.title, 128);
        ToUtf16("Bypass", info.shortTitle, 128);
        info.stepCount = 1;
        info.defaultNormalizedValue = 0.0;
        info.flags = ParameterInfo::kCanAutomate | ParameterInfo::kIsBypass;
        return true;
    }
    if (position == core_.ParamCount() + 1) {
        info.id = kProgramParamId;
        ToUtf16("Program", info.title, 128);
        ToUtf16("Program", info.shortTitle, 128);
        info.stepCount = programCount_ > 1 ? programCount_ - 1 : 0;
        info.defaultNormalizedValue = 0.0;
        info.flags = ParameterInfo::kIsProgramChange | ParameterInfo::kIsList;
        return true;
    }
    // Saved with the state and automatable: Glide makes switching either smooth.
    const int setting = position - core_.ParamCount() - 2;
    info.id = ParamIdOfSetting(setting);
    ToUtf16(kExtraSettings[setting].name, info.title, 128);
    ToUtf16(kExtraSettings[setting].name, info.shortTitle, 128);
    info.stepCount = 1;
    info.defaultNormalizedValue = SettingDefault(setting);
    info.flags = ParameterInfo::kCanAutomate | ParameterInfo::kIsList;
    return true;
}

int ParamTable::ProgramOf(ParamValue normalized) const {
    if (programCount_ <= 1 || !std::isfinite(normalized)) return 0;
    return static_cast<int>(std::floor(Clamp01(normalized) * (programCount_ - 1) + 0.5));
}

ParamValue ParamTable::NormalizedOfProgram(int program) const {
    if (programCount_ <= 1 || program <= 0) return 0.0;
    if (program >= programCount_) return 1.0;
    return static_cast<double>(program) / (programCount_ - 1);
}

tresult ParamTable::Text(ParamID id, ParamValue normalized, String128 out) const {
    if (out == nullptr) return kInvalidArgument;
    if (!std::isfinite(normalized)) return kInvalidArgument;
    char text[PluginParam::kTextSize] = {};
    if (const PluginParam* param = EffectParam(id)) {
        param->FormatValue(param->PlainForUnit(normalized), false, text, sizeof text);
    } else if (id == kBypassParamId) {
        CopyText(text, sizeof text, kBypassTexts[normalized >= 0.5 ? 1 : 0]);
    } else if (id == kProgramParamId) {
        ToUtf16(core_.PresetName(ProgramOf(normalized)), out, 128);
        return kResultOk;
    } else if (SettingOfParamId(id) >= 0) {
        CopyText(text, sizeof text, SettingText(SettingOfParamId(id), normalized));
    } else {
        return kInvalidArgument;
    }
    ToUtf16(text, out, 128);
    return kResultOk;
}

tresult ParamTable::Parse(ParamID id, const TChar* text, ParamValue& normalized) const {
    if (text == nullptr || !Known(id)) return kInvalidArgument;
    char typed[256] = {};
    FromUtf16(text, 128, typed, sizeof typed);
    if (const PluginParam* param = EffectParam(id)) {
        double plain = 0.0;
        if (!ParseTypedPlain(*param, typed, plain)) return kResultFalse;
        normalized = param->UnitOf(plain);
        return kResultOk;
    }
    if (id == kBypassParamId) {
        bool on = false;
        if (!ParseBypassText(typed, on)) return kResultFalse;
        normalized = on ? 1.0 : 0.0;
        return kResultOk;
    }
    if (SettingOfParamId(id) >= 0) {
        return ParseSettingText(SettingOfParamId(id), typed, normalized) ? kResultOk : kResultFalse;
    }
    for (int p = 0; p < programCount_; ++p) {
        if (std::strcmp(typed, core_.PresetName(p)) == 0) {
            normalized = NormalizedOfProgram(p);
            return kResultOk;
        }
    }
    const double x = ParseDecimal(typed);
    if (!std::isfinite(x) || x < 0.0 || x >= programCount_) return kResultFalse;
    normalized = NormalizedOfProgram(static_cast<int>(x));
    return kResultOk;
}

ParamValue ParamTable::ToPlain(ParamID id, ParamValue normalized) const {
    if (const PluginParam* param = EffectParam(id)) return param->PlainForUnit(normalized);
    if (!std::isfinite(normalized)) return 0.0;
    if (id == kBypassParamId || SettingOfParamId(id) >= 0) return normalized >= 0.5 ? 1.0 : 0.0;
    if (id == kProgramParamId) return ProgramOf(normalized);
    return 0.0;
}

ParamValue ParamTable::ToNormalized(ParamID id, ParamValue plain) const {
    if (const PluginParam* param = EffectParam(id)) return param->UnitOf(plain);
    if (!std::isfinite(plain)) return 0.0;
    if (id == kBypassParamId || SettingOfParamId(id) >= 0) return plain >= 0.5 ? 1.0 : 0.0;
    if (id == kProgramParamId)
        return NormalizedOfProgram(static_cast<int>(std::floor(plain + 0.5)));
    return 0.0;
}

}  // namespace tav::vst3
