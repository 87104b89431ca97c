// A ready phaser over any host layer, as the VST 2 entry point makes one: none
// when memory ran out. With an editor, the platform's.
#pragma once

#include <memory>

#include "core/module_handle.h"
#include "effect/editor_factory.h"
#include "effect/phaser_effect.h"

namespace tav {

template <class HostLayer>
std::unique_ptr<PhaserEffect<HostLayer>> MakePhaser(bool withEditor) {
    using Effect = PhaserEffect<HostLayer>;
    EntryLockGuard guard;
    std::unique_ptr<Effect> effect;
    try {
        effect.reset(withEditor ? new Effect(WithEditor{CreatePlatformEditor}) : new Effect());
    } catch (...) {
        // Out of memory while building: no C++ exception may reach the host.
        return nullptr;
    }
    effect->EnsureDefaultPreset();
    // As a VST 2 host's effOpen: every parameter reaches the engine once.
    effect->HostQuirksInit();
    effect->NotifyAllParamsChanged();
    return effect;
}

}  // namespace tav
