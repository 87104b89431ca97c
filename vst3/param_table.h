// How the effect's parameters look to a VST 3 host: the thirteen parameters keep
// their VST 2 indices as ids, then come the bypass switch, the program selector
// and the effect's two settings, Sweep Sync and Glide. The ids are stored in hosts'
// projects and must never change.
#pragma once

#include "core/effect_core.h"
#include "effect/extra_settings.h"
#include "vst3/vst3_abi.h"

namespace tav::vst3 {

inline constexpr ParamID kBypassParamId = 1000;
inline constexpr ParamID kProgramParamId = 1001;
inline constexpr ParamID kSweepSyncParamId = kFirstSettingParamId;
inline constexpr ParamID kGlideParamId = kFirstSettingParamId + 1;
inline constexpr ProgramListID kFactoryProgramListId = 1;

class ParamTable {
  public:
    // programCount: the factory programs listed in the program list.
    ParamTable(IEffectCore& core, int programCount) : core_(core), programCount_(programCount) {}

    int32 Count() const { return core_.ParamCount() + 2 + kExtraSettingCount; }
    bool Describe(int32 position, ParameterInfo& info) const;
    bool Known(ParamID id) const;
    // The effect's parameter behind an id; none for the ids beyond them and unknown ones.
    PluginParam* EffectParam(ParamID id) const;

    tresult Text(ParamID id, ParamValue normalized, String128 out) const;
    // A value text or a number, clamped into the range (ParseTypedPlain); other text is refused.
    tresult Parse(ParamID id, const TChar* text, ParamValue& normalized) const;
    ParamValue ToPlain(ParamID id, ParamValue normalized) const;
    ParamValue ToNormalized(ParamID id, ParamValue plain) const;

    int ProgramOf(ParamValue normalized) const;
    ParamValue NormalizedOfProgram(int program) const;

  private:
    int32 StepCount(const PluginParam& param) const;

    IEffectCore& core_;
    int programCount_;
};

}  // namespace tav::vst3
