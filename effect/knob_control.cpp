#include "effect/knob_control.h"

#include <cmath>
#include <numbers>

#include "core/effect_core.h"
#include "core/plugin_param.h"
#include "editor/editor_surface.h"

namespace tav {

namespace {

// Half of a length, in single precision, rounded half away from zero.
int32_t RoundedHalf(double length) {
    return static_cast<int32_t>(std::lround(static_cast<float>(length * 0.5)));
}

}  // namespace

IKnobRotVal::IKnobRotVal(IEffectCore* owner, int paramIndex, int centreX, int centreY,
                         const BitmapRef& knobBitmap, const TextStyle& textStyle, int textGap,
                         int sweepDegrees, double gearing, int width, int dragDirection,
                         float knobWeight, bool appendUnit, int steps)
    : IControl(owner, PixelRect{}, paramIndex),
      dragDirection(dragDirection),
      gearing(gearing),
      textStyle(textStyle),
      knobBitmap(knobBitmap),
      centreX(centreX),
      centreY(centreY),
      textGap(textGap),
      sweepDegrees(sweepDegrees),
      stepIntervals(static_cast<int16_t>(steps - 1)),
      knobWeight(knobWeight),
      appendUnit(appendUnit) {
    const int frames = knobBitmap.frames > 0 ? knobBitmap.frames : 1;
    const int32_t halfH = RoundedHalf(knobBitmap.height);
    const int32_t halfW = width == 0 ? RoundedHalf(knobBitmap.width / frames) : width / 2;
    int32_t bottom = centreY + halfH;
    if (textGap > 0) bottom += textStyle.size + textGap;
    rect = PixelRect{centreX - halfW, centreY - halfH, centreX + halfW, bottom};
    hitRect = rect;
    blend = BlendSpec{BlendAlpha, 1.0f};
    knobBlend = BlendSpec{BlendAlpha, 1.0f};
}

void IKnobRotVal::MouseReleased(int, int, const MouseMods&) {
    if (stepIntervals > 0) value = std::floor(stepIntervals * value + 0.5) / stepIntervals;
    MarkChanged(true);
}

void IKnobRotVal::MouseDragged(int, int, int dx, int dy, const MouseMods& mods) {
    KnobDragRule{gearing, dragDirection}.Apply(*this, dx, dy, mods);
}

float IKnobRotVal::AngleFor(double v, int sweepDegrees) {
    const double halfSweep = sweepDegrees * std::numbers::pi / 360.0;
    const float turn = static_cast<float>(static_cast<float>(halfSweep) * v * 2.0);
    return turn + static_cast<float>(-halfSweep);
}

float IKnobRotVal::SourceShiftFor(double v) {
    return -static_cast<float>(std::fabs(v - 0.5) * 2.0);
}

PixelRect IKnobRotVal::TextStrip() const {
    const int32_t base = textGap < 0 ? rect.bottom + textGap : rect.bottom;
    return PixelRect{rect.left, base - textStyle.size, rect.right, base};
}

void IKnobRotVal::SetMarks(const ParamMarks& marks) {
    if (marks == marks_) return;
    marks_ = marks;
    paintAgain = true;
    MarkChanged(false);
}

void IKnobRotVal::CapturePaintState() {
    IControl::CapturePaintState();
    paintMarks_ = marks_;
    paintText.clear();
    const PluginParam* param = Param();
    if (param == nullptr) return;
    char text[PluginParam::kTextSize];
    param->FormatValue(param->value, false, text, sizeof text);
    paintText = text;
    if (!paintText.empty() && appendUnit) paintText += param->UnitLabel();
}

bool IKnobRotVal::Render(EditorSurface* surface) {
    if (surface == nullptr) return false;
    knobBlend = BlendSpec{BlendAlpha, knobWeight};
    if (!paintText.empty() && textStyle.size > 0) {
        textStyle.align = 1;
        surface->PaintText(textStyle, paintText.c_str(), TextStrip());
    }
    const float angle = AngleFor(paintValue, sweepDegrees);
    const float shift = SourceShiftFor(paintValue);
    RenderMarks(surface);
    if (knobBitmap.frames < 2)
        return surface->BlitSpun(knobBitmap, centreX, centreY, angle, &knobBlend, shift, shift);
    return RenderMultiFrame(surface, angle, shift);
}

namespace {

ArgbColor ColorOf(uint32_t word) {
    return ArgbColor{static_cast<int32_t>(word >> 24), static_cast<int32_t>((word >> 16) & 0xFF),
                     static_cast<int32_t>((word >> 8) & 0xFF), static_cast<int32_t>(word & 0xFF)};
}

// In the skin's own places: the mapping a halo on the dark edge between the knob's
// body and its scale, the automation a dot in the scale's gap below the knob,
// hollow while the automation is there but not what moves the knob. Both stay
// inside the knob's rectangle, so a repaint of it takes them away.
constexpr float kHaloInner = 23.0f;
constexpr float kHaloOuter = 24.5f;
constexpr float kDotBelow = 27.5f;
constexpr float kDotOuter = 2.25f;
constexpr float kDotInner = 1.25f;

}  // namespace

void IKnobRotVal::RenderMarks(EditorSurface* surface) const {
    const auto x = static_cast<float>(centreX), y = static_cast<float>(centreY);
    if ((paintMarks_.mappedColor >> 24) != 0)
        surface->PaintRing(ColorOf(paintMarks_.mappedColor), x, y, kHaloInner, kHaloOuter);
    if ((paintMarks_.automationColor >> 24) != 0) {
        surface->PaintRing(ColorOf(paintMarks_.automationColor), x, y + kDotBelow,
                           paintMarks_.automationDriving ? 0.0f : kDotInner, kDotOuter);
    }
}

// The first frame turns; the last one (the knob's fixed face) is painted over it.
bool IKnobRotVal::RenderMultiFrame(EditorSurface* surface, float angle, float shift) {
    const int32_t frameWidth = knobBitmap.width / knobBitmap.frames;
    if (frameWidth <= 0 || knobBitmap.height <= 0) return true;
    if (spinCache.width == 0) {
        spinCache =
            surface->ExtractBitmapArea(knobBitmap, PixelRect{0, 0, frameWidth, knobBitmap.height});
    }
    surface->BlitSpun(spinCache, centreX, centreY, angle, &knobBlend, shift, shift);
    const double halfFrame = frameWidth * 0.5;
    // Without a text strip below the image the rectangle ends with the image.
    const int32_t faceBottom = textGap > 0 ? rect.bottom - textGap - textStyle.size : rect.bottom;
    const PixelRect face{static_cast<int32_t>(std::lround(centreX - halfFrame)), rect.top,
                         static_cast<int32_t>(std::lround(centreX + halfFrame)), faceBottom};
    return surface->BlitFrame(knobBitmap, face, knobBitmap.frames, &paintBlend, false);
}

}  // namespace tav
