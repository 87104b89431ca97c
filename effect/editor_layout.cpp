#include "effect/editor_layout.h"

#include <cstdio>
#include <utility>

#include "core/effect_core.h"
#include "editor/editor_surface.h"
#include "editor/text_controls.h"
#include "effect/knob_control.h"
#include "effect/label_controls.h"
#include "effect/phaser_params.h"
#include "effect/switch_controls.h"

namespace tav {

namespace {

TextStyle MakeStyle(const char* font, int size, ArgbColor color, int align) {
    TextStyle style;
    std::snprintf(style.fontName, sizeof style.fontName, "%s", font);
    style.size = size;
    style.color = color;
    style.style = 0;
    style.align = align;
    style.orientation = 0;
    style.quality = 0;
    style.cachedFont = nullptr;
    return style;
}

// Every knob turns through 300 degrees, takes 4 control heights of drag for its
// range, and shows its value with the unit 6 pixels below the image.
constexpr int kKnobTextGap = 6;
constexpr int kKnobSweepDegrees = 300;
constexpr double kKnobGearing = 4.0;

}  // namespace

void BuildEditorLayout(EditorSurface& surface, IEffectCore& core) {
    surface.SetBackdrop(SkinBackground, "img/bg.png");

    const TextStyle knobValueStyle = MakeStyle("Arial", 15, ArgbColor{200, 255, 255, 255}, 0);
    const BitmapRef knob = surface.FetchBitmap(SkinKnob, "img/knob.png", 1);

    const TextStyle smallStyle = MakeStyle("Verdana", 13, ArgbColor{100, 255, 255, 255}, 0);
    TextStyle thresholdStyle = smallStyle;
    thresholdStyle.align = 2;
    char version[32];
    core.VersionText(version, sizeof version);
    surface.AddControl(new ITextControl(&core, kVersionRect, smallStyle, version));
    surface.AddControl(new IURLOpen(&core, kTitleRect));
    surface.AddControl(new ILabelPrm(&core, kThresholdLabelRect, ParamBypassCeil, thresholdStyle,
                                     thresholdStyle, "bypass", "dB"));
    for (const KnobPlacement& k : kKnobPlacements)
        surface.AddControl(new IKnobRotVal(&core, k.paramIndex, k.centreX, k.centreY, knob,
                                           knobValueStyle, kKnobTextGap, kKnobSweepDegrees,
                                           kKnobGearing, 0, 0, 1.0f, true, 0));

    const BitmapRef options = surface.FetchBitmap(SkinAccentOptions, "img/radio.png", 3);
    surface.AddControl(
        new IRadioButtons(&core, ParamAccent, kAccentLeft, kAccentTop, options, true, 0, 0, 0, 0));
    const BitmapRef mirror = surface.FetchBitmap(SkinMirrorButton, "img/but.png", 1);
    surface.AddControl(new IButton(&core, ParamFilterMirror, kMirrorLeft, kMirrorTop, mirror));
}

void AttachEffectEditor(IEffectCore& core, EditorSurfaceMaker makeSurface,
                        std::vector<MenuChoice> choices) {
    if (makeSurface == nullptr) return;
    EditorSurface* surface = makeSurface(core);
    if (surface == nullptr) return;
    BuildEditorLayout(*surface, core);
    for (MenuChoice& choice : choices) surface->AddMenuChoice(std::move(choice));
    core.AttachEditor(surface);
}

}  // namespace tav
