#pragma once

#include "effect/editor_factory.h"
#include "effect/phaser_effect.h"
#include "vst2/ivst_effect.h"

namespace tav {

// The plug-in as hosts load it: the phaser over the VST 2.4 adapter, with the
// platform's editor.
class VSTCLASS final : public PhaserEffect<IVstEffect> {
  public:
    explicit VSTCLASS(audioMasterCallback hostCallback)
        : PhaserEffect(WithEditor{CreatePlatformEditor}, hostCallback) {}
};

}  // namespace tav
