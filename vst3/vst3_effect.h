// The phaser over the VST 3 host layer: one in the processor, one in the controller.
#pragma once

#include <memory>

#include "effect/factory_presets.h"
#include "effect/phaser_effect.h"
#include "vst3/vst3_core.h"

namespace tav::vst3 {

using Vst3Phaser = PhaserEffect<Vst3Core>;

// A ready instance, as the VST 2 entry point makes one; none when memory ran out.
// The controller's has the platform's editor.
std::unique_ptr<Vst3Phaser> MakePhaser(bool withEditor = false);

// The programs listed to hosts: the factory ones.
inline constexpr int kListedPrograms = kFactoryPresetCount;

}  // namespace tav::vst3
