#pragma once

#include <string>

#include "editor/icontrol.h"

namespace tav {

// Static text in a style of its own.
class ITextControl : public IControl {
  public:
    ITextControl(IEffectCore* owner, const PixelRect& rect, const TextStyle& style,
                 const char* initialText);
    bool Render(EditorSurface* surface) override;
    void CapturePaintState() override;
    // Replaces the text and marks the control, unless the text is the same.
    void SetText(const char* newText);
    const char* Text() const { return text.c_str(); }

    TextStyle textStyle;
    std::string text;
    std::string paintText;
};

// Text the user can retype in an entry box.
class IEditableTextControl : public ITextControl {
  public:
    IEditableTextControl(IEffectCore* owner, const PixelRect& rect, const TextStyle& style,
                         const char* initialText, const ArgbColor& background, bool editable,
                         bool password);
    void MousePressed(int x, int y, const MouseMods& mods) override;
    bool Render(EditorSurface* surface) override;

    ArgbColor background;
    bool editable;
    bool password;
};

}  // namespace tav
