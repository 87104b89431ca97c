#pragma once

#include "core/effect_core.h"

namespace tav {

// The product's web page is this site's address followed by "/" and the effect name.
inline constexpr char kProductWebPage[] = "https://qorva.audio";

// What the host sees of the phaser: identity, parameters and factory programs.
EffectIdentity PhaserIdentity();
void DefinePhaserParameters(IEffectCore& core);
void AddFactoryPresets(IEffectCore& core);

}  // namespace tav
