#include "effect/editor_factory.h"

namespace tav {

// The page draws the face itself, from an instance of its own (wam/web_face.h):
// the audio's instances have none.
EditorSurface* CreatePlatformEditor(IEffectCore&) {
    return nullptr;
}

}  // namespace tav
