#pragma once

#include "core/state_chunk.h"

namespace tav {

// One program slot: a name and the serialised parameter values.
struct PresetSlot {
    static constexpr int kNameSize = 256;

    bool initialised = false;
    char name[kNameSize] = {};
    StateChunk state;
};

}  // namespace tav
