// The phaser behind the face: it never processes audio, and its gestures go to
// the UI (Lv2Ui, its EditSink), which tells the host through ports.
#pragma once

#include <memory>

#include "core/transport_core.h"
#include "effect/phaser_effect.h"

namespace tav::lv2 {

using Lv2UiPhaser = PhaserEffect<TransportCore>;

// A ready instance with the platform's editor; none when memory ran out.
std::unique_ptr<Lv2UiPhaser> MakeUiPhaser();

}  // namespace tav::lv2
