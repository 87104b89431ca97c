#include "effect/editor_factory.h"

namespace tav {

// The Linux module has no editor window yet.
EditorSurface* CreatePlatformEditor(IEffectCore&) {
    return nullptr;
}

}  // namespace tav
