#pragma once

#include "core/effect_core.h"

namespace tav {

// What the host sees of the phaser: identity, parameters and factory programs.
EffectIdentity PhaserIdentity();
void DefinePhaserParameters(IEffectCore& core);
void AddFactoryPresets(IEffectCore& core);

}  // namespace tav
