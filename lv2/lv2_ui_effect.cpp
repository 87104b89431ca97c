#include "lv2/lv2_ui_effect.h"

#include "effect/make_phaser.h"

namespace tav::lv2 {

std::unique_ptr<Lv2UiPhaser> MakeUiPhaser() {
    return MakePhaser<TransportCore>(true);
}

}  // namespace tav::lv2
