#pragma once

#include <cstdint>
#include <vector>

#include "editor/icontrol.h"

namespace tav {

// An on/off switch: the background shows it off, its bitmap shows it on.
class IButton : public IControl {
  public:
    IButton(IEffectCore* owner, int paramIndex, int x, int y, const BitmapRef& buttonBitmap);

    void MousePressed(int x, int y, const MouseMods& mods) override;
    bool Render(EditorSurface* surface) override;

    BitmapRef buttonBitmap;
};

// A group of options, one lit at a time. The bitmap is a picture of every option lit;
// only the selected option's part of it is painted over the background.
class IRadioButtons : public IControl {
  public:
    // The option count is the bitmap's frames. With splitBitmap the options share one
    // picture, sized by size1..size3 (0: an equal share); otherwise each option shows
    // the whole bitmap. horizontal lays the options out from x to the right, else
    // from y downwards.
    IRadioButtons(IEffectCore* owner, int paramIndex, int x, int y, const BitmapRef& optionsBitmap,
                  bool splitBitmap, int horizontal, int size1, int size2, int size3);

    void MousePressed(int x, int y, const MouseMods& mods) override;
    bool Render(EditorSurface* surface) override;

    int OptionCount() const { return static_cast<int>(optionRects.size()); }
    // The option the value lights, from 0.
    int LitOption(double v) const;

    std::vector<PixelRect> optionRects;
    BitmapRef optionsBitmap;
    bool verticalLayout;

  private:
    bool splitBitmap;
};

}  // namespace tav
