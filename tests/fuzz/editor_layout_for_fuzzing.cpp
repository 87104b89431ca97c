#include "tests/fuzz/editor_layout_for_fuzzing.h"

#include "editor/text_controls.h"

namespace tav::fuzz {

// Stand-in until the effect's layout exists: a text control per parameter.
HeadlessSurface* AttachHeadlessEditor(IVstEffect& core) {
    auto* surface = new HeadlessSurface(&core, 520, 335, 24);
    for (int i = 0; i < core.ParamCount(); ++i) {
        auto* control =
            new IEditableTextControl(&core, PixelRect{0, 20 * i, 200, 20 * i + 20}, TextStyle(), "",
                                     ArgbColor{255, 0, 0, 0}, true, false);
        control->paramIndex = i;
        surface->AddControl(control);
    }
    core.AttachEditor(surface);
    return surface;
}

}  // namespace tav::fuzz
