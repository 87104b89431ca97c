#pragma once

#include "core/state_chunk.h"

namespace tav {

// One program slot: a name and the serialised parameter values.
struct PresetSlot {
    static constexpr int kNameSize = 256;

    bool initialised = false;
    char name[kNameSize] = {};
    // One value per parameter: small steps, for the few hundred bytes it holds.
    StateChunk state{64};
};

}  // namespace tav
