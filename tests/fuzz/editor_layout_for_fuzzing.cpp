#include "tests/fuzz/editor_layout_for_fuzzing.h"

#include "effect/editor_factory.h"
#include "effect/editor_layout.h"

namespace tav::fuzz {

HeadlessSurface* AttachHeadlessEditor(IVstEffect& core) {
    auto* surface = new HeadlessSurface(&core, kEditorWidth, kEditorHeight, 24);
    surface->SetModuleInstance(EffectModuleInstance());
    // Scales picked from the menu stay in memory, out of the user's settings.
    surface->SetSettingsPath({});
    BuildEditorLayout(*surface, core);
    core.AttachEditor(surface);
    return surface;
}

}  // namespace tav::fuzz
