#include <new>

#include "editor/x11_editor_window.h"
#include "effect/editor_factory.h"
#include "effect/editor_layout.h"

namespace tav {

// An X11 child window; it opens no display until the host opens the editor.
EditorSurface* CreatePlatformEditor(IEffectCore& core) {
    return new (std::nothrow) X11EditorWindow(&core, kEditorWidth, kEditorHeight, 0);
}

}  // namespace tav
