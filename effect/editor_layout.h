#pragma once

#include <vector>

#include "editor/menu_choice.h"
#include "raster/pixel_rect.h"

namespace tav {

class EditorSurface;
class IEffectCore;

inline constexpr int kEditorWidth = 520;
inline constexpr int kEditorHeight = 335;

// The skin's "PNG" resources of the module.
enum SkinResource : int {
    SkinBackground = 100,
    SkinKnob = 101,
    SkinMirrorButton = 102,
    SkinAccentOptions = 103,
};

// Where each knob sits: its parameter and the centre of its image. The upper row of
// a panel is frequency, depth and rate, the lower row feedback and mix, which is not
// the parameters' order.
struct KnobPlacement {
    int paramIndex;
    int centreX;
    int centreY;
};
inline constexpr KnobPlacement kKnobPlacements[] = {
    {0, 51, 152},  {1, 82, 251},  {2, 115, 152}, {3, 179, 152}, {4, 147, 251},
    {5, 341, 152}, {6, 372, 251}, {7, 405, 152}, {8, 469, 152}, {9, 437, 251},
};
inline constexpr int kKnobCount = sizeof kKnobPlacements / sizeof kKnobPlacements[0];

inline constexpr PixelRect kVersionRect{45, 12, 95, 30};
inline constexpr PixelRect kTitleRect{164, 15, 356, 62};
inline constexpr PixelRect kThresholdLabelRect{446, 305, 508, 321};
inline constexpr int kAccentLeft = 223;
inline constexpr int kAccentTop = 140;
inline constexpr int kMirrorLeft = 223;
inline constexpr int kMirrorTop = 227;

// Puts the background and every control of the effect's face onto surface, whose
// owner is core. Attaching the surface to the core is the caller's step.
void BuildEditorLayout(EditorSurface& surface, IEffectCore& core);

// The editor of core made by makeSurface (none: the effect has no editor), laid out,
// its menu given the effect's own choices, and attached to core.
using EditorSurfaceMaker = EditorSurface* (*)(IEffectCore& core);
void AttachEffectEditor(IEffectCore& core, EditorSurfaceMaker makeSurface,
                        std::vector<MenuChoice> choices = {});

// Chooses the effect constructor that builds an editor.
struct WithEditor {
    EditorSurfaceMaker makeSurface;
};

}  // namespace tav
