// The phaser over the UI's host layer: the effect behind the face, never processing audio.
#pragma once

#include <memory>

#include "effect/phaser_effect.h"
#include "lv2/lv2_ui_core.h"

namespace tav::lv2 {

using Lv2UiPhaser = PhaserEffect<Lv2UiCore>;

// A ready instance with the platform's editor; none when memory ran out.
std::unique_ptr<Lv2UiPhaser> MakeUiPhaser();

}  // namespace tav::lv2
