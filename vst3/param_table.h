// The parameters as a VST 3 host sees them: effect/host_params.h's description
// (the thirteen parameters, bypass, the program selector, Sweep Sync and Glide)
// in normalized values, with VST 3's flags and UTF-16 texts.
#pragma once

#include "core/effect_core.h"
#include "effect/host_params.h"
#include "vst3/vst3_abi.h"

namespace tav::vst3 {

inline constexpr ProgramListID kFactoryProgramListId = 1;

class ParamTable {
  public:
    // programCount: the factory programs listed in the program list.
    ParamTable(IEffectCore& core, int programCount) : params_(core, programCount) {}

    int32 Count() const { return params_.Count(); }
    bool Describe(int32 position, ParameterInfo& info) const;
    // What an id stands for; role None for unknown ids.
    HostParamTarget Target(ParamID id) const { return params_.Target(id); }
    bool Known(ParamID id) const { return Target(id).role != HostParamRole::None; }
    // The effect's parameter behind an id; none for the ids beyond them and unknown ones.
    PluginParam* EffectParam(ParamID id) const { return params_.EffectParam(id); }

    tresult Text(ParamID id, ParamValue normalized, String128 out) const;
    // A value text or a number, clamped into the range; other text is refused.
    tresult Parse(ParamID id, const TChar* text, ParamValue& normalized) const;
    ParamValue ToPlain(ParamID id, ParamValue normalized) const;
    ParamValue ToNormalized(ParamID id, ParamValue plain) const;

    int ProgramOf(ParamValue normalized) const;
    ParamValue NormalizedOfProgram(int program) const;

  private:
    HostParams params_;
};

}  // namespace tav::vst3
