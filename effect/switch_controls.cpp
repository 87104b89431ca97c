#include "effect/switch_controls.h"

#include <algorithm>
#include <cmath>

#include "editor/editor_surface.h"

namespace tav {

IButton::IButton(IEffectCore* owner, int paramIndex, int x, int y, const BitmapRef& buttonBitmap)
    : IControl(owner,
               PixelRect{x, y, x + buttonBitmap.width,
                         y + buttonBitmap.height / std::max(1, buttonBitmap.frames)},
               paramIndex),
      buttonBitmap(buttonBitmap) {}

void IButton::MousePressed(int, int, const MouseMods& mods) {
    if (!mods.right) value = value <= 0.5 ? 1.0 : 0.0;
    // A right click re-sends the unchanged value and opens no entry box.
    MarkChanged(true);
}

bool IButton::Render(EditorSurface* surface) {
    if (paintValue <= 0.5) return true;
    if (surface == nullptr) return false;
    return surface->BlitFrame(buttonBitmap, rect, 1, nullptr, true);
}

namespace {

// The lengths of n options sharing total pixels: size1..size3 where given (later
// options repeat the previous one), the last taking what the others leave.
std::vector<int> SplitLengths(int total, int n, const int (&sizes)[3]) {
    const int share = total / n;
    const bool anyGiven = sizes[0] != 0 || sizes[1] != 0 || sizes[2] != 0;
    std::vector<int> lengths(n);
    int previous = share;
    for (int i = 0; i < n; ++i) {
        if (i < 3) previous = sizes[i] != 0 ? sizes[i] : share;
        lengths[i] = previous;
    }
    // The last option takes what the others leave, so the options tile the picture.
    int others = 0;
    for (int i = 0; i + 1 < n; ++i) others += lengths[i];
    lengths[n - 1] = anyGiven ? std::max(0, total - others) : share;
    return lengths;
}

}  // namespace

IRadioButtons::IRadioButtons(IEffectCore* owner, int paramIndex, int x, int y,
                             const BitmapRef& optionsBitmap, bool splitBitmap, int horizontal,
                             int size1, int size2, int size3)
    : IControl(owner, PixelRect{}, paramIndex),
      optionsBitmap(optionsBitmap),
      verticalLayout(horizontal == 0),
      splitBitmap(splitBitmap) {
    const int n = std::max(1, optionsBitmap.frames);
    const int w = optionsBitmap.width;
    const int h = optionsBitmap.height;
    if (!splitBitmap && verticalLayout)
        rect = PixelRect{x, y, x + w, y + n * h};
    else
        rect = PixelRect{x, y, x + (!splitBitmap ? n * w : w), y + h};
    hitRect = rect;

    const int along = verticalLayout ? h : w;
    std::vector<int> lengths(n, along);
    if (splitBitmap) lengths = SplitLengths(along, n, {size1, size2, size3});
    int start = verticalLayout ? y : x;
    for (int length : lengths) {
        if (verticalLayout)
            optionRects.push_back(PixelRect{x, start, x + w, start + length});
        else
            optionRects.push_back(PixelRect{start, y, start + length, y + h});
        start += length;
    }
}

int IRadioButtons::LitOption(double v) const {
    const int n = OptionCount();
    if (n == 0 || std::isnan(v)) return 0;
    const double scaled = std::clamp((n - 1) * v, -1.0, static_cast<double>(n));
    const long rounded = std::lround(scaled);
    if (rounded < 0) return 0;
    return static_cast<int>(std::min<long>(n, rounded + 1)) - 1;
}

void IRadioButtons::MousePressed(int x, int y, const MouseMods& mods) {
    if (mods.right) {
        RequestValueEntry();
        MarkChanged(true);
        return;
    }
    const int n = OptionCount();
    for (int i = 0; i < n; ++i) {
        if (!optionRects[i].Contains(x, y)) continue;
        value = n > 1 ? static_cast<double>(i) / (n - 1) : 0.0;
        break;
    }
    MarkChanged(true);
}

bool IRadioButtons::Render(EditorSurface* surface) {
    if (surface == nullptr || optionRects.empty()) return false;
    const PixelRect& option = optionRects[LitOption(paintValue)];
    // A shared picture is painted from the option's own part; a whole-bitmap option
    // shows the whole bitmap.
    int srcX = 0;
    int srcY = 0;
    if (splitBitmap) {
        if (verticalLayout)
            srcY = option.top - rect.top;
        else
            srcX = option.left - rect.left;
    }
    return surface->BlitOffset(optionsBitmap, option, srcX, srcY, &paintBlend);
}

}  // namespace tav
