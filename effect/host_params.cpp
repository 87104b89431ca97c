#include "effect/host_params.h"

#include <cmath>
#include <cstring>

#include "core/number_text.h"

namespace tav {
namespace {

// "Off", "On" or a number (0.5 and over is on); other words read as the number 0.
bool ParseBypass(const char* typed, double& plain) {
    for (int i = 0; i < 2; ++i) {
        if (std::strcmp(typed, kBypassTexts[i]) == 0) {
            plain = i;
            return true;
        }
    }
    const double x = ParseDecimal(typed);
    if (!std::isfinite(x)) return false;
    plain = SettingStep(x);
    return true;
}

// One of the setting's two texts or a number, as hosts type for a list's index;
// other words are refused (ParseDecimal reads them as 0).
bool ParseSetting(int setting, const char* typed, double& plain) {
    for (int i = 0; i < 2; ++i) {
        if (std::strcmp(typed, kExtraSettings[setting].texts[i]) == 0) {
            plain = i;
            return true;
        }
    }
    const char* p = typed;
    while (*p == ' ' || *p == '\t') ++p;
    if (*p == '+' || *p == '-') ++p;
    if (*p == '.') ++p;
    if (*p < '0' || *p > '9') return false;
    const double x = ParseDecimal(typed);
    if (!std::isfinite(x)) return false;
    plain = SettingStep(x);
    return true;
}

}  // namespace

double DefaultPlainValue(const IEffectCore& core, int index) {
    const PluginParam* param = core.Param(index);
    if (param == nullptr) return 0.0;
    double plain = param->value;
    const PresetSlot* first = core.Preset(0);
    if (first != nullptr && first->initialised) first->state.GetF64(index * 8, plain);
    return plain;
}

int HostParams::Count() const {
    return core_.ParamCount() + 1 + (programCount_ > 0 ? 1 : 0) + kExtraSettingCount;
}

HostParamTarget HostParams::Target(uint32_t id) const {
    if (id < static_cast<uint32_t>(core_.ParamCount()))
        return {HostParamRole::Effect, static_cast<int>(id)};
    if (id == kBypassParamId) return {HostParamRole::Bypass, -1};
    if (id == kProgramParamId && programCount_ > 0) return {HostParamRole::Program, -1};
    for (int setting = 0; setting < kExtraSettingCount; ++setting) {
        if (id == kExtraSettings[setting].id) return {HostParamRole::Setting, setting};
    }
    return {};
}

PluginParam* HostParams::EffectParam(uint32_t id) const {
    const HostParamTarget target = Target(id);
    return target.role == HostParamRole::Effect ? core_.Param(target.index) : nullptr;
}

bool HostParams::Describe(int position, HostParamInfo& info) const {
    if (position < 0 || position >= Count()) return false;
    info = HostParamInfo{};
    info.whole = true;
    if (position < core_.ParamCount()) {
        const PluginParam& param = *core_.Param(position);
        info.id = static_cast<uint32_t>(position);
        info.target = {HostParamRole::Effect, position};
        info.name = param.Name();
        info.unit = param.UnitLabel();
        param.GetRange(info.minPlain, info.maxPlain);
        info.defaultPlain = DefaultPlainValue(core_, position);
        info.automatable = true;
        info.stepped = info.list = param.kind == KindChoice;
        const double steps = info.maxPlain - info.minPlain;
        if (info.list && steps >= 1.0) info.stepCount = static_cast<int32_t>(steps);
        info.whole = param.kind != KindContinuous;
        return true;
    }
    position -= core_.ParamCount();
    if (position == 0) {
        info.id = kBypassParamId;
        info.target = {HostParamRole::Bypass, -1};
        info.name = "Bypass";
        info.stepCount = 1;
        info.automatable = info.stepped = true;
        return true;
    }
    position -= 1;
    if (programCount_ > 0 && position-- == 0) {
        // Not automatable: a program change replaces every value at once.
        info.id = kProgramParamId;
        info.target = {HostParamRole::Program, -1};
        info.name = "Program";
        info.maxPlain = programCount_ - 1;
        info.stepCount = programCount_ - 1;
        info.stepped = info.list = true;
        return true;
    }
    // Saved with the state and automatable: Glide makes switching either smooth.
    const ExtraSetting& setting = kExtraSettings[position];
    info.id = setting.id;
    info.target = {HostParamRole::Setting, position};
    info.name = setting.name;
    info.defaultPlain = setting.defaultStep;
    info.stepCount = 1;
    info.automatable = info.stepped = info.list = true;
    return true;
}

bool HostParams::Text(uint32_t id, double plain, char* out, size_t size) const {
    const HostParamTarget target = Target(id);
    switch (target.role) {
        case HostParamRole::Effect:
            core_.Param(target.index)->FormatValue(plain, false, out, size);
            return true;
        case HostParamRole::Bypass:
            CopyText(out, size, kBypassTexts[SettingStep(plain)]);
            return true;
        case HostParamRole::Program:
            CopyText(out, size, core_.PresetName(static_cast<int>(plain)));
            return true;
        case HostParamRole::Setting:
            CopyText(out, size, kExtraSettings[target.index].texts[SettingStep(plain)]);
            return true;
        case HostParamRole::None:
            break;
    }
    return false;
}

bool HostParams::Parse(uint32_t id, const char* typed, double& plain) const {
    const HostParamTarget target = Target(id);
    if (typed == nullptr) return false;
    switch (target.role) {
        case HostParamRole::Effect:
            return core_.Param(target.index)->ParseTyped(typed, plain);
        case HostParamRole::Bypass:
            return ParseBypass(typed, plain);
        case HostParamRole::Setting:
            return ParseSetting(target.index, typed, plain);
        case HostParamRole::Program:
            break;
        case HostParamRole::None:
            return false;
    }
    // A program's name, or its number.
    for (int p = 0; p < programCount_; ++p) {
        if (std::strcmp(typed, core_.PresetName(p)) == 0) {
            plain = p;
            return true;
        }
    }
    const double x = ParseDecimal(typed);
    if (!std::isfinite(x) || x < 0.0 || x >= programCount_) return false;
    plain = static_cast<int>(x);
    return true;
}

}  // namespace tav
