#include "editor/icontrol.h"

#include <cmath>

#include "core/effect_core.h"
#include "editor/editor_surface.h"

namespace tav {

IControl::IControl(IEffectCore* owner, const PixelRect& rect, int paramIndex)
    : owner(owner), rect(rect), hitRect(rect), paramIndex(paramIndex < 0 ? -1 : paramIndex) {
    blend.mode = BlendAlpha;
    blend.weight = 1.0f;
    paintBlend = blend;
}

void IControl::MousePressed(int, int, const MouseMods& mods) {
    if (mods.right) RequestValueEntry();
}

void IControl::MouseReleased(int, int, const MouseMods&) {}
void IControl::MouseDragged(int, int, int, int, const MouseMods&) {}

void IControl::MouseDoubleClicked(int, int, const MouseMods&) {
    if (defaultValue < 0.0) return;
    value = defaultValue;
    MarkChanged(true);
}

void IControl::WheelTurned(int, int, const MouseMods& mods, int notches) {
    const double step = mods.control || mods.shift ? 0.001 : 0.01;
    value += notches * step;
    MarkChanged(true);
}

void IControl::KeyPressed(int, int, int) {}
void IControl::MouseHovered(int, int, const MouseMods&) {}
void IControl::MouseLeft() {}

void IControl::ApplyHostValue(double v) {
    if (!std::isfinite(v)) return;
    if (defaultValue < 0.0) {
        defaultValue = v;
    } else if (v == value) {
        return;
    }
    value = v;
    MarkChanged(false);
    paintAgain = true;
}

void IControl::ApplyEnteredValue(double v) {
    if (v != value) value = v;
    entryOpen = false;
    MarkChanged(true);
    paintAgain = true;
}

void IControl::SetHidden(bool flag) {
    hidden = flag;
    paintAgain = true;
    MarkChanged(false);
}

void IControl::SetGreyed(bool flag) {
    greyed = flag;
    blend.weight = flag ? 0.25f : 1.0f;
    MarkChanged(false);
}

bool IControl::HitTest(int x, int y) const {
    return hitRect.Contains(x, y);
}

void IControl::MarkChanged(bool push) {
    // NaN fails both comparisons and takes the low limit.
    if (!(value >= lowLimit)) {
        value = lowLimit;
    } else if (value > highLimit) {
        value = highLimit;
    }
    needsPaint = true;
    if (push && owner != nullptr && paramIndex >= 0) owner->SetParamFromEditor(paramIndex, value);
}

void IControl::MarkPainted() {
    needsPaint = paintAgain;
    paintAgain = false;
}

void IControl::CapturePaintState() {
    paintValue = value;
    paintBlend = blend;
}

bool IControl::RequestValueEntry() {
    if (paramIndex < 0 || entryDisabled) return false;
    const bool opening = surface != nullptr && surface->OpenValueEntryLater(this);
    paintAgain = true;
    return opening;
}

void IControl::FinishEntry() {
    entryOpen = false;
    MarkChanged(true);
    paintAgain = true;
}

PluginParam* IControl::Param() const {
    if (owner == nullptr || paramIndex < 0) return nullptr;
    return owner->Param(paramIndex);
}

void KnobDragRule::Apply(IControl& control, int dx, int dy, const MouseMods& mods) const {
    const double geared = mods.control || mods.shift ? gearing * 10.0 : gearing;
    const double extent = direction == 0 ? control.rect.top - control.rect.bottom
                                         : control.rect.right - control.rect.left;
    // A flat rectangle or no gearing has no scale to turn pixels into value.
    if (extent == 0.0 || !(geared != 0.0) || !std::isfinite(geared)) return;
    const double moved = direction == 0 ? dy : dx;
    control.value += moved / extent / geared;
    control.MarkChanged(true);
}

IBitmapControl::IBitmapControl(IEffectCore* owner, const PixelRect& rect, int paramIndex,
                               const BitmapRef& bitmap, bool verticalFrames)
    : IControl(owner, rect, paramIndex), bitmap(bitmap), verticalFrames(verticalFrames) {}

int IBitmapControl::FrameFor(double v) const {
    const int n = bitmap.frames;
    if (n < 2) return 1;
    const double picked = (n - 1) * v + 0.5;
    if (!(picked >= 0.0)) return 1;
    if (picked >= n - 1) return n;
    return static_cast<int>(picked) + 1;
}

bool IBitmapControl::Render(EditorSurface* surface) {
    return surface->BlitFrame(bitmap, rect, FrameFor(paintValue), &paintBlend, verticalFrames);
}

}  // namespace tav
