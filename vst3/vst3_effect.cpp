#include "vst3/vst3_effect.h"

#include <new>

#include "core/module_handle.h"
#include "effect/editor_factory.h"

namespace tav::vst3 {

std::unique_ptr<Vst3Phaser> MakePhaser(bool withEditor) {
    EntryLockGuard guard;
    std::unique_ptr<Vst3Phaser> effect;
    try {
        effect.reset(withEditor ? new Vst3Phaser(WithEditor{CreatePlatformEditor})
                                : new Vst3Phaser());
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

}  // namespace tav::vst3
