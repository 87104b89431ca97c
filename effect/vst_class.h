#pragma once

#include "effect/phaser_effect.h"
#include "host/ivst_effect.h"

namespace tav {

// The plug-in as hosts load it: the phaser over the VST 2.4 adapter.
class VSTCLASS final : public PhaserEffect<IVstEffect> {
  public:
    explicit VSTCLASS(audioMasterCallback hostCallback) : PhaserEffect(hostCallback) {}
};

}  // namespace tav
