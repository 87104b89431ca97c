// The parameters as effect/host_params.h describes them, in CLAP's terms: plain
// values, flag bits, the thirteen parameters with their VST ids, then bypass and
// the two settings (no Program: CLAP hosts pick programs as presets).
#include <cmath>
#include <cstring>

#include "clap/clap_plugin.h"
#include "clap/extensions.h"
#include "core/number_text.h"

namespace tav::clap {
namespace {

// The instance when it is ready for parameter calls, the call checked against its thread.
ClapPlugin* Ready(const clap_plugin* plugin, const char* entry) {
    ClapPlugin* self = ClapPlugin::From(plugin, entry);
    return self != nullptr && self->Ready() ? self : nullptr;
}

uint32_t Count(const clap_plugin* plugin) {
    ClapPlugin* self = Ready(plugin, "params.count");
    return self != nullptr ? static_cast<uint32_t>(self->Params().Count()) : 0;
}

bool Info(const clap_plugin* plugin, uint32_t index, clap_param_info* info) {
    ClapPlugin* self = Ready(plugin, "params.get_info");
    HostParamInfo param;
    // Names, ranges and defaults are fixed from the start: read without the audio.
    if (self == nullptr || info == nullptr || index > 0x7FFFFFFFu ||
        !self->Params().Describe(static_cast<int>(index), param))
        return false;
    std::memset(info, 0, sizeof *info);
    info->id = param.id;
    if (param.automatable) info->flags |= CLAP_PARAM_IS_AUTOMATABLE;
    if (param.stepped) info->flags |= CLAP_PARAM_IS_STEPPED;
    if (param.list) info->flags |= CLAP_PARAM_IS_ENUM;
    if (param.target.role == HostParamRole::Bypass) info->flags |= CLAP_PARAM_IS_BYPASS;
    CopyText(info->name, sizeof info->name, param.name);
    info->min_value = param.minPlain;
    info->max_value = param.maxPlain;
    info->default_value = param.defaultPlain;
    return true;
}

// The audio thread's model, with what was handed to it on its way.
bool Value(const clap_plugin* plugin, clap_id id, double* out) {
    ClapPlugin* self = Ready(plugin, "params.get_value");
    ModelValues model;
    if (self == nullptr || out == nullptr || !self->Plugin().ReadModel(model)) return false;
    const HostParamTarget target = self->Params().Target(id);
    switch (target.role) {
        case HostParamRole::Effect:
            *out = self->Effect().Param(target.index)->EffectiveValueOf(model.params[target.index]);
            return true;
        case HostParamRole::Bypass:
            *out = model.bypass != 0 ? 1.0 : 0.0;
            return true;
        case HostParamRole::Setting:
            *out = model.settings[target.index];
            return true;
        case HostParamRole::Program:
        case HostParamRole::None:
            break;
    }
    return false;
}

bool ValueToText(const clap_plugin* plugin, clap_id id, double value, char* out,
                 uint32_t capacity) {
    ClapPlugin* self = Ready(plugin, "params.value_to_text");
    if (self == nullptr || out == nullptr || capacity == 0 || !std::isfinite(value)) return false;
    // Shown as it would be applied: bounded and snapped to the step.
    if (const PluginParam* param = self->Params().EffectParam(id))
        value = param->PlainForUnit(param->UnitOf(value));
    char text[PluginParam::kTextSize] = {};
    if (!self->Params().Text(id, value, text, sizeof text)) return false;
    CopyText(out, capacity, text);
    return true;
}

bool TextToValue(const clap_plugin* plugin, clap_id id, const char* text, double* out) {
    ClapPlugin* self = Ready(plugin, "params.text_to_value");
    if (self == nullptr || text == nullptr || out == nullptr) return false;
    return self->Params().Parse(id, text, *out);
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
