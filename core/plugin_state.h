// The saved state of the VST 3 component and of the CLAP plug-in (the same
// bytes), and the VST 2 forms a host may hand it instead when it opens a project
// saved with the VST 2 plug-in.
//
// Ours: the VST 2 module's bank chunk, byte for byte (with the effect's own
// settings after its data, as the VST 2 module saves them), then a 16-byte
// trailer: "TvS3", then little-endian int32 version (1), bypass flag, current
// program.
//
// Also accepted: the bare VST 2 chunk (bank or program); a .fxp/.fxb container
// ("CcnK", big-endian; program or bank, as chunk or as float parameters); and
// either of those behind a "VstW" header, which carries the bypass flag.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/effect_core.h"

namespace tav {

struct LoadedState {
    bool hasBypass = false;  // whether the state said anything of bypass
    bool bypass = false;
};

// Appends our state for the core's current settings; false on failure.
bool SavePluginState(IEffectCore& core, StateChunk& scratch, bool bypass,
                     std::vector<uint8_t>& out);

// Applies any accepted form to the core, completely or not at all (the core's
// lock is held throughout); false leaves everything as it was.
bool LoadPluginState(IEffectCore& core, StateChunk& scratch, const uint8_t* data, size_t size,
                     LoadedState& loaded);

}  // namespace tav
