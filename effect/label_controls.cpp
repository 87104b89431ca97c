#include "effect/label_controls.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "core/effect_core.h"
#include "editor/editor_surface.h"
#include "effect/phaser_setup.h"

namespace tav {

namespace {

void CopyText(char (&out)[ILabelPrm::kTextBytes], const char* text) {
    std::snprintf(out, sizeof out, "%s", text != nullptr ? text : "");
}

}  // namespace

ILabelPrm::ILabelPrm(IEffectCore* owner, const PixelRect& rect, int paramIndex,
                     const TextStyle& textStyle, const TextStyle& idleStyle, const char* idleText,
                     const char* activeText)
    : IControl(owner, rect, paramIndex), textStyle(textStyle), idleStyle(idleStyle) {
    CopyText(this->idleText, idleText);
    CopyText(this->activeText, activeText);
}

void ILabelPrm::MousePressed(int, int, const MouseMods& mods) {
    // A second click while the box is open only restores the idle text; the box stays.
    if ((!mods.left && !mods.right) || showingActive) {
        showingActive = false;
        MarkChanged(true);
        return;
    }
    // Without a box to type into (none for this control, or another one open)
    // there is nothing to wait for.
    if (RequestValueEntry()) {
        entryOpen = true;
        showingActive = true;
    }
    MarkChanged(true);
}

void ILabelPrm::CapturePaintState() {
    IControl::CapturePaintState();
    // The box has closed since the label switched to its active text.
    if (showingActive && !entryOpen) showingActive = false;
    paintActive = showingActive;
}

PixelRect ILabelPrm::TextRect() const {
    const double spare = (rect.Height() - textStyle.size) * 0.5;
    return PixelRect{rect.left, rect.top + static_cast<int32_t>(std::lround(spare)), rect.right,
                     rect.bottom};
}

bool ILabelPrm::Render(EditorSurface* surface) {
    if (surface == nullptr) return false;
    textStyle.align = paintActive ? 2 : idleStyle.align;
    return surface->PaintText(textStyle, PaintedText(), TextRect());
}

IURLOpen::IURLOpen(IEffectCore* owner, const PixelRect& rect) : IControl(owner, rect, -1) {}

std::string IURLOpen::Address() const {
    std::string address = kProductWebPage;
    address += '/';
    if (owner != nullptr) address += owner->EffectName();
    return address;
}

void IURLOpen::MousePressed(int, int, const MouseMods&) {
    if (surface == nullptr) return;
    surface->OpenWebPageLater(Address().c_str(), nullptr, nullptr,
                              "Cannot open url. Check your default browser.");
}

bool IURLOpen::Render(EditorSurface*) {
    return true;
}

}  // namespace tav
