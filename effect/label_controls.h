#pragma once

#include <string>

#include "editor/icontrol.h"

namespace tav {

// A label for one parameter: a click opens the parameter's entry box, and while it is
// open the label shows its active text (a unit, say) instead of its idle text.
class ILabelPrm : public IControl {
  public:
    static constexpr int kTextBytes = 250;

    ILabelPrm(IEffectCore* owner, const PixelRect& rect, int paramIndex, const TextStyle& textStyle,
              const TextStyle& idleStyle, const char* idleText, const char* activeText);

    void MousePressed(int x, int y, const MouseMods& mods) override;
    void CapturePaintState() override;
    bool Render(EditorSurface* surface) override;

    // The text the last capture will paint, and where.
    const char* PaintedText() const { return paintActive ? activeText : idleText; }
    PixelRect TextRect() const;

    TextStyle textStyle;
    TextStyle idleStyle;  // only its alignment is used
    char idleText[kTextBytes] = {};
    char activeText[kTextBytes] = {};
    bool showingActive = false;

  private:
    bool paintActive = false;
};

// An invisible area that opens the product's web page.
class IURLOpen : public IControl {
  public:
    IURLOpen(IEffectCore* owner, const PixelRect& rect);

    void MousePressed(int x, int y, const MouseMods& mods) override;
    bool Render(EditorSurface* surface) override;

    // The product page: the site's address, a slash and the effect's name.
    std::string Address() const;
};

}  // namespace tav
