// How the VST 2 program and bank chunks carry the effect's two settings beyond
// its thirteen parameters, "Sweep Sync" and "Glide" (what hosts are told of them
// is in host_params.h).
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
#include "effect/host_params.h"
#include "effect/phaser_engine.h"

namespace tav {

// The tags of their chunk trailers, in the settings' order.
inline constexpr uint8_t kSettingTrailerTags[kExtraSettingCount][4] = {{'T', 'v', 'S', 'y'},
                                                                       {'T', 'v', 'G', 'l'}};
inline constexpr int32_t kSettingTrailerSize = 12;

inline double SweepSyncValue(SweepSync sync) {
    return sync == SweepSync::Song ? 1.0 : 0.0;
}
inline SweepSync SweepSyncOf(double value) {
    return SettingStep(value) == 1 ? SweepSync::Song : SweepSync::Free;
}

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
