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

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/effect_core.h"

namespace tav {

// The most bytes any format reads from its host as a state: the largest chunk the
// core takes, with room for every container and trailer around it.
inline constexpr size_t kMaxStateBytes = static_cast<size_t>(IEffectCore::kMaxChunkBytes) + 4096;

// Reads a host's state stream to its end, in pieces: read(into, most) gives the
// bytes it read, 0 at the end, or a negative number when the stream failed.
// False when it failed, gave more than it was asked for, or ran past the limit;
// a state of exactly kMaxStateBytes is read.
template <class Read>
bool ReadStateStream(Read&& read, std::vector<uint8_t>& bytes) {
    constexpr size_t kPiece = 64 * 1024;
    bytes.clear();
    for (;;) {
        const size_t at = bytes.size();
        // One byte past the limit is asked for, to tell a state of exactly the limit.
        const size_t want = std::min(kPiece, kMaxStateBytes + 1 - at);
        bytes.resize(at + want);
        const int64_t got = read(bytes.data() + at, want);
        if (got < 0 || static_cast<uint64_t>(got) > want) return false;
        bytes.resize(at + static_cast<size_t>(got));
        if (bytes.size() > kMaxStateBytes) return false;
        if (got == 0) return true;
    }
}

struct LoadedState {
    bool hasBypass = false;  // whether the state said anything of bypass
    bool bypass = false;
};

// Appends our state for the core's current settings; false on failure.
bool SavePluginState(IEffectCore& core, StateChunk& scratch, bool bypass,
                     std::vector<uint8_t>& out);

// Our trailer after a bank chunk the core wrote (GetChunk(0)): the chunk becomes our state.
void AppendStateTrailer(std::vector<uint8_t>& out, bool bypass, int program);

// Applies any accepted form to the core, completely or not at all (the core's
// lock is held throughout); false leaves everything as it was.
bool LoadPluginState(IEffectCore& core, StateChunk& scratch, const uint8_t* data, size_t size,
                     LoadedState& loaded);

}  // namespace tav
