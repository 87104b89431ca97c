// The thirteen parameters with their VST ids and plain ranges, then bypass and
// the sweep sync (a setting, not automated). Values are plain values; texts and
// typed values are the effect's own, as the VST 3 plug-in shows them.
#include <cmath>
#include <cstring>

#include "clap/clap_plugin.h"
#include "clap/extensions.h"
#include "core/format_params.h"
#include "core/number_text.h"
#include "effect/extra_settings.h"

namespace tav::clap {
namespace {

// The instance when it is ready for parameter calls, the call checked against its thread.
ClapPlugin* Ready(const clap_plugin* plugin, const char* entry) {
    ClapPlugin* self = ClapPlugin::From(plugin, entry);
    return self != nullptr && self->Ready() ? self : nullptr;
}

uint32_t CountOf(ClapPlugin& self) {
    return static_cast<uint32_t>(self.Effect().ParamCount() + 1 + kExtraSettingCount);
}

uint32_t Count(const clap_plugin* plugin) {
    ClapPlugin* self = Ready(plugin, "params.count");
    return self != nullptr ? CountOf(*self) : 0;
}

bool Info(const clap_plugin* plugin, uint32_t index, clap_param_info* info) {
    ClapPlugin* self = Ready(plugin, "params.get_info");
    if (self == nullptr || info == nullptr || index >= CountOf(*self)) return false;
    // Names, ranges and defaults are fixed from the start: read without the audio.
    const ClapPhaser& effect = self->Effect();
    std::memset(info, 0, sizeof *info);
    if (const PluginParam* param = effect.Param(static_cast<int>(index))) {
        info->id = index;
        info->flags = CLAP_PARAM_IS_AUTOMATABLE;
        if (param->kind == KindChoice) info->flags |= CLAP_PARAM_IS_STEPPED | CLAP_PARAM_IS_ENUM;
        CopyText(info->name, sizeof info->name, param->Name());
        param->GetRange(info->min_value, info->max_value);
        info->default_value = DefaultPlainValue(effect, static_cast<int>(index));
        return true;
    }
    info->min_value = 0.0;
    info->max_value = 1.0;
    info->default_value = 0.0;
    if (index == static_cast<uint32_t>(effect.ParamCount())) {
        info->id = kBypassParamId;
        info->flags = CLAP_PARAM_IS_AUTOMATABLE | CLAP_PARAM_IS_BYPASS | CLAP_PARAM_IS_STEPPED;
        CopyText(info->name, sizeof info->name, "Bypass");
        return true;
    }
    // Saved with the state and automatable: Glide makes switching either smooth.
    const int setting = static_cast<int>(index) - effect.ParamCount() - 1;
    info->id = ParamIdOfSetting(setting);
    info->flags = CLAP_PARAM_IS_AUTOMATABLE | CLAP_PARAM_IS_STEPPED | CLAP_PARAM_IS_ENUM;
    info->default_value = SettingDefault(setting);
    CopyText(info->name, sizeof info->name, kExtraSettings[setting].name);
    return true;
}

// The audio thread's model, with what was handed to it on its way.
bool Value(const clap_plugin* plugin, clap_id id, double* out) {
    ClapPlugin* self = Ready(plugin, "params.get_value");
    ModelValues model;
    if (self == nullptr || out == nullptr || !self->Plugin().ReadModel(model)) return false;
    if (id == kBypassParamId) {
        *out = model.bypass != 0 ? 1.0 : 0.0;
        return true;
    }
    if (SettingOfParamId(id) >= 0) {
        *out = model.settings[SettingOfParamId(id)];
        return true;
    }
    if (id >= static_cast<clap_id>(self->Effect().ParamCount())) return false;
    *out = self->Effect().Param(static_cast<int>(id))->EffectiveValueOf(model.params[id]);
    return true;
}

bool ValueToText(const clap_plugin* plugin, clap_id id, double value, char* out,
                 uint32_t capacity) {
    ClapPlugin* self = Ready(plugin, "params.value_to_text");
    if (self == nullptr || out == nullptr || capacity == 0 || !std::isfinite(value)) return false;
    char text[PluginParam::kTextSize] = {};
    if (id == kBypassParamId) {
        CopyText(text, sizeof text, kBypassTexts[value >= 0.5 ? 1 : 0]);
    } else if (SettingOfParamId(id) >= 0) {
        CopyText(text, sizeof text, SettingText(SettingOfParamId(id), value));
    } else if (id < static_cast<clap_id>(self->Effect().ParamCount())) {
        // Shown as it would be applied: bounded and snapped to the step.
        const PluginParam* param = self->Effect().Param(static_cast<int>(id));
        param->FormatValue(param->PlainForUnit(param->UnitOf(value)), false, text, sizeof text);
    } else {
        return false;
    }
    CopyText(out, capacity, text);
    return true;
}

bool TextToValue(const clap_plugin* plugin, clap_id id, const char* text, double* out) {
    ClapPlugin* self = Ready(plugin, "params.text_to_value");
    if (self == nullptr || text == nullptr || out == nullptr) return false;
    if (id == kBypassParamId) {
        bool on = false;
        if (!ParseBypassText(text, on)) return false;
        *out = on ? 1.0 : 0.0;
        return true;
    }
    if (SettingOfParamId(id) >= 0) return ParseSettingText(SettingOfParamId(id), text, *out);
    if (id >= static_cast<clap_id>(self->Effect().ParamCount())) return false;
    return ParseTypedPlain(*self->Effect().Param(static_cast<int>(id)), text, *out);
}

// The audio thread's while active, never beside process; the main thread's otherwise.
void Flush(const clap_plugin* plugin, const clap_input_events* in, const clap_output_events* out) {
    ClapPlugin* self = ClapPlugin::From(plugin);
    if (self == nullptr || !self->Ready()) return;
    if (!self->Active()) {
        self->Roles().Check("params.flush", ThreadRole::Main);
        self->FlushEvents(in, out);
        return;
    }
    ThreadRoles::AudioScope audio(self->Roles(), "params.flush");
    self->FlushEvents(in, out);
}

}  // namespace

const clap_plugin_params kParamsExtension = {Count, Info, Value, ValueToText, TextToValue, Flush};

}  // namespace tav::clap
