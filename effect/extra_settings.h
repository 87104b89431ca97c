// The effect's two settings beyond its thirteen parameters, "Sweep Sync" and
// "Glide": their texts as the formats with a parameter for them show them, and
// how the VST 2 program and bank chunks carry them.
//
// In a chunk they follow the data the chunk format defines, each only when it is
// not its default, Sweep Sync first: a 4-byte tag ("TvSy", "TvGl"), then
// little-endian int32 version (1) and int32 step (Sweep Sync 0 Free, 1 Song;
// Glide 0 Off, 1 On). A reader of the format alone ignores those bytes, and one
// that knows only Sweep Sync ignores Glide's; a chunk without them holds the
// defaults (Free, On).
#pragma once

#include <cstdint>

#include "core/state_chunk.h"
#include "effect/phaser_engine.h"

namespace tav {

// Their numbers among the effect's settings that are not parameters
// (IEffectCore::HostSettingEdited, BlockPlugin::AddSetting).
inline constexpr int kSweepSyncSetting = 0;
inline constexpr int kGlideSetting = 1;
inline constexpr int kExtraSettingCount = 2;

struct ExtraSetting {
    const char* name;
    const char* texts[2];
    int defaultStep;
    uint8_t tag[4];  // of its chunk trailer
};

inline constexpr ExtraSetting kExtraSettings[kExtraSettingCount] = {
    {"Sweep Sync", {"Free", "Song"}, 0, {'T', 'v', 'S', 'y'}},
    {"Glide", {"Off", "On"}, 1, {'T', 'v', 'G', 'l'}},
};
inline constexpr int32_t kSettingTrailerSize = 12;

inline bool IsExtraSetting(int setting) {
    return setting >= 0 && setting < kExtraSettingCount;
}

// The formats that number parameters (VST 3, CLAP) give the settings ids from
// 1002 on, in this order; hosts store them in projects.
inline constexpr uint32_t kFirstSettingParamId = 1002;
inline int SettingOfParamId(uint32_t id) {
    return id >= kFirstSettingParamId && id < kFirstSettingParamId + kExtraSettingCount
               ? static_cast<int>(id - kFirstSettingParamId)
               : -1;
}
inline uint32_t ParamIdOfSetting(int setting) {
    return kFirstSettingParamId + static_cast<uint32_t>(setting);
}

// As a two-step parameter: 0.5 and over is the second step, anything else the first.
inline int SettingStep(double value) {
    return value >= 0.5 ? 1 : 0;
}
inline const char* SettingText(int setting, double value) {
    return kExtraSettings[setting].texts[SettingStep(value)];
}
inline double SettingDefault(int setting) {
    return kExtraSettings[setting].defaultStep;
}

inline double SweepSyncValue(SweepSync sync) {
    return sync == SweepSync::Song ? 1.0 : 0.0;
}
inline SweepSync SweepSyncOf(double value) {
    return SettingStep(value) == 1 ? SweepSync::Song : SweepSync::Free;
}

// One of the setting's two texts or a number (0.5 and over is the second step);
// false for anything else. value is 0 or 1.
bool ParseSettingText(int setting, const char* typed, double& value);

// Appends the setting's trailer with that step; false when memory ran out.
bool PutSettingTrailer(StateChunk& chunk, int setting, int step);

// Where the setting's trailer at pos ends, setting step from it; pos itself when
// the bytes there are not one (none left, or bytes of another kind: step is left
// alone); -1 when they are a damaged one (cut short, an unknown version, a step
// other than 0 or 1).
int32_t SettingTrailerEnd(const StateChunk& chunk, int32_t pos, int setting, int& step);

// Both trailers in their order: where they end, with the steps found (the
// defaults where a trailer is absent); -1 for a damaged one.
int32_t ExtraSettingsEnd(const StateChunk& chunk, int32_t pos, int (&steps)[kExtraSettingCount]);

}  // namespace tav
