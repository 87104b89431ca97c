// What every format tells its hosts about the parameters, in one place: the
// thirteen effect parameters (their ids are their VST 2 indices), then Bypass,
// Program and the effect's two settings, Sweep Sync and Glide. Each format
// translates this into its own terms (VST 3 normalized values and flags, CLAP
// plain values and flag bits, LV2 ports in Turtle). The ids are stored in hosts'
// projects and must never change.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/effect_core.h"
#include "effect/phaser_params.h"

namespace tav {

inline constexpr uint32_t kBypassParamId = 1000;
inline constexpr uint32_t kProgramParamId = 1001;
inline constexpr uint32_t kSweepSyncParamId = 1002;
inline constexpr uint32_t kGlideParamId = 1003;

// The settings beyond the parameters, by their numbers among the effect's settings
// (IEffectCore::HostSettingEdited, BlockPlugin::AddSetting).
inline constexpr int kSweepSyncSetting = 0;
inline constexpr int kGlideSetting = 1;
inline constexpr int kExtraSettingCount = 2;

// A setting is a two-step list: 0.5 and over is its second step.
struct ExtraSetting {
    uint32_t id;
    const char* name;
    const char* texts[2];
    int defaultStep;
};

inline constexpr ExtraSetting kExtraSettings[kExtraSettingCount] = {
    {kSweepSyncParamId, "Sweep Sync", {"Free", "Song"}, 0},
    {kGlideParamId, "Glide", {"Off", "On"}, 1},
};

inline bool IsExtraSetting(int setting) {
    return setting >= 0 && setting < kExtraSettingCount;
}
inline int SettingStep(double value) {
    return value >= 0.5 ? 1 : 0;
}

inline constexpr const char* kBypassTexts[2] = {"Off", "On"};

// The pages a hardware controller's eight knobs step through (CLAP's remote
// controls): the settings both sides share first, then each side as its panel
// reads. Slots without a parameter hold kNoControl.
inline constexpr int kControlSlots = 8;
inline constexpr uint32_t kNoControl = 0xFFFFFFFFu;

struct ControlPage {
    const char* section;
    const char* name;
    uint32_t ids[kControlSlots];
};

inline constexpr ControlPage kControlPages[] = {
    {"Global",
     "Main",
     {ParamWetLeft, ParamWetRight, ParamAccent, ParamFilterMirror, ParamBypassCeil,
      kSweepSyncParamId, kGlideParamId, kNoControl}},
    {"Sides",
     "Left",
     {ParamFreqLeft, ParamLeftDepth, ParamLeftSweepRate, ParamFBackLeft, ParamWetLeft, kNoControl,
      kNoControl, kNoControl}},
    {"Sides",
     "Right",
     {ParamFreqRight, ParamRightDepth, ParamRightSweepRate, ParamFBackRight, ParamWetRight,
      kNoControl, kNoControl, kNoControl}},
};
inline constexpr int kControlPageCount = sizeof kControlPages / sizeof kControlPages[0];

enum class HostParamRole : uint8_t { None, Effect, Bypass, Program, Setting };

// What an id stands for: the effect's parameter or setting number in index.
struct HostParamTarget {
    HostParamRole role = HostParamRole::None;
    int index = -1;
};

// One parameter as hosts are told of it. Values are plain: the effect
// parameter's own range, 0 and 1 for a switch, a program's number.
struct HostParamInfo {
    uint32_t id = 0;
    HostParamTarget target;
    const char* name = "";
    const char* unit = "";
    double minPlain = 0.0;
    double maxPlain = 1.0;
    double defaultPlain = 0.0;
    int32_t stepCount = 0;     // steps past the first of a switch or list; 0 for a range
    bool automatable = false;  // hosts may record and play it back
    bool stepped = false;      // hosts show steps (a switch or a list), not a range
    bool list = false;         // each step has a text of its own
    bool whole = false;        // its plain values are whole numbers
};

class HostParams {
  public:
    // programCount: the factory programs the Program parameter selects; with
    // none there is no Program parameter.
    explicit HostParams(IEffectCore& core, int programCount = 0)
        : core_(core), programCount_(programCount) {}

    // In the order hosts list them.
    int Count() const;
    bool Describe(int position, HostParamInfo& info) const;
    HostParamTarget Target(uint32_t id) const;
    PluginParam* EffectParam(uint32_t id) const;
    static uint32_t IdOfSetting(int setting) { return kExtraSettings[setting].id; }
    int ProgramCount() const { return programCount_; }

    // A plain value's text; false for ids nothing has.
    bool Text(uint32_t id, double plain, char* out, size_t size) const;
    // What typed text gives: a value text or a number (an effect parameter's
    // clamped into its range; a switch's 0.5 and over is on); false for anything
    // else and for ids nothing has.
    bool Parse(uint32_t id, const char* typed, double& plain) const;

  private:
    IEffectCore& core_;
    int programCount_;
};

// A parameter's plain default: its value in the first program, where the
// parameters stand when the effect is made.
double DefaultPlainValue(const IEffectCore& core, int index);

}  // namespace tav
