#include "vst3/vst3_effect.h"

#include "effect/make_phaser.h"

namespace tav::vst3 {

std::unique_ptr<Vst3Phaser> MakePhaser(bool withEditor) {
    return tav::MakePhaser<Vst3Core>(withEditor);
}

}  // namespace tav::vst3
