#include <new>

#include "editor/win32_editor_window.h"
#include "effect/editor_factory.h"
#include "effect/editor_layout.h"

namespace tav {

EditorSurface* CreatePlatformEditor(IEffectCore& core) {
    auto* window = new (std::nothrow) Win32EditorWindow(&core, kEditorWidth, kEditorHeight, 0);
    // The skin images are resources of this module, not of the host's program.
    if (window != nullptr) window->SetModuleInstance(EffectModuleInstance());
    return window;
}

}  // namespace tav
