#include "editor/text_controls.h"

#include <algorithm>

#include "editor/editor_surface.h"

namespace tav {
namespace {

constexpr size_t kTextGrowth = 128;
constexpr size_t kMaxMaskLength = 254;

}  // namespace

ITextControl::ITextControl(IEffectCore* owner, const PixelRect& rect, const TextStyle& style,
                           const char* initialText)
    : IControl(owner, rect, -1), textStyle(style) {
    textStyle.fontName[sizeof(textStyle.fontName) - 1] = '\0';
    SetText(initialText);
    paintText = text;
}

bool ITextControl::Render(EditorSurface* surface) {
    if (paintText.empty()) return true;
    return surface->PaintText(textStyle, paintText.c_str(), rect);
}

void ITextControl::CapturePaintState() {
    IControl::CapturePaintState();
    // assign() keeps the capacity, so capturing allocates only when the text grew.
    paintText.assign(text);
}

void ITextControl::SetText(const char* newText) {
    if (newText == nullptr) newText = "";
    if (text == newText) return;
    MarkChanged(false);
    const size_t length = std::char_traits<char>::length(newText);
    if (length + 1 > text.capacity())
        text.reserve((length + kTextGrowth) / kTextGrowth * kTextGrowth);
    text.assign(newText, length);
}

IEditableTextControl::IEditableTextControl(IEffectCore* owner, const PixelRect& rect,
                                           const TextStyle& style, const char* initialText,
                                           const ArgbColor& background, bool editable,
                                           bool password)
    : ITextControl(owner, rect, style, initialText),
      background(background),
      editable(editable),
      password(password) {}

void IEditableTextControl::MousePressed(int, int, const MouseMods&) {
    if (entryDisabled) return;
    if (surface != nullptr) surface->OpenTextEntry(this);
    paintAgain = true;
}

bool IEditableTextControl::Render(EditorSurface* surface) {
    if (background.a != 0) surface->PaintFill(background, rect, nullptr);
    if (paintText.empty()) return true;
    if (!password) return surface->PaintText(textStyle, paintText.c_str(), rect);
    char mask[kMaxMaskLength + 1];
    const size_t count = std::min(paintText.size(), kMaxMaskLength);
    std::fill(mask, mask + count, '*');
    mask[count] = '\0';
    return surface->PaintText(textStyle, mask, rect);
}

}  // namespace tav
