// "Sweep Sync", the effect's one setting beyond its thirteen parameters: its texts
// as the formats with a parameter for it show them, and how the VST 2 program and
// bank chunks carry it.
//
// In a chunk it follows the data the chunk format defines, only when it is "Song":
// "TvSy", then little-endian int32 version (1) and int32 sync (0 Free, 1 Song).
// A reader of the format alone ignores those bytes; a chunk without them is "Free".
#pragma once

#include <cstdint>

#include "core/state_chunk.h"
#include "effect/phaser_engine.h"

namespace tav {

inline constexpr const char* kSweepSyncName = "Sweep Sync";
inline constexpr const char* kSweepSyncTexts[2] = {"Free", "Song"};
// Its number among the effect's settings that are not parameters (IEffectCore::HostSettingEdited).
inline constexpr int kSweepSyncSetting = 0;
inline constexpr int32_t kSweepSyncTrailerSize = 12;

// As a two-step parameter: 0 Free, 1 Song; 0.5 and over is Song, anything else Free.
inline double SweepSyncValue(SweepSync sync) {
    return sync == SweepSync::Song ? 1.0 : 0.0;
}
inline SweepSync SweepSyncOf(double value) {
    return value >= 0.5 ? SweepSync::Song : SweepSync::Free;
}
inline const char* SweepSyncText(double value) {
    return kSweepSyncTexts[SweepSyncOf(value) == SweepSync::Song ? 1 : 0];
}

// "Free", "Song" or a number (0.5 and over is Song); false for anything else.
bool ParseSweepSyncText(const char* typed, SweepSync& sync);

// Appends the trailer; false when memory ran out.
bool PutSweepSyncTrailer(StateChunk& chunk, SweepSync sync);

// Where a trailer at pos ends, setting sync from it; pos itself when the bytes there
// are not one (none left, or bytes of another kind: sync is left alone); -1 when
// they are a damaged one (cut short, an unknown version, a sync other than 0 or 1).
int32_t SweepSyncTrailerEnd(const StateChunk& chunk, int32_t pos, SweepSync& sync);

}  // namespace tav
