#pragma once

#include <cstdint>

#include "core/editor_link.h"
#include "editor/editor_types.h"
#include "raster/pixel_rect.h"

namespace tav {

class EditorSurface;
class IEffectCore;
class PluginParam;

// Base of every element of the editor. Threads: fields are written only under the
// owner's core lock (the host's thread pushes values, the window's thread routes
// events under it); painting reads only what CapturePaintState copied, so the
// window's thread rasterises without the lock.
class IControl {
  public:
    IControl(IEffectCore* owner, const PixelRect& rect, int paramIndex);
    IControl(const IControl&) = delete;
    IControl& operator=(const IControl&) = delete;
    virtual ~IControl() = default;

    virtual void MousePressed(int x, int y, const MouseMods& mods);
    virtual void MouseReleased(int x, int y, const MouseMods& mods);
    virtual void MouseDragged(int x, int y, int dx, int dy, const MouseMods& mods);
    virtual void MouseDoubleClicked(int x, int y, const MouseMods& mods);
    virtual void WheelTurned(int x, int y, const MouseMods& mods, int notches);
    virtual void KeyPressed(int x, int y, int key);
    virtual void MouseHovered(int x, int y, const MouseMods& mods);
    virtual void MouseLeft();
    // Paints through the surface's painting operations, from the captured state.
    virtual bool Render(EditorSurface* surface) = 0;
    virtual void ApplyHostValue(double v);
    virtual void ApplyEnteredValue(double v);
    virtual void SetHidden(bool flag);
    virtual void SetGreyed(bool flag);
    virtual bool HitTest(int x, int y) const;
    virtual void MarkChanged(bool push);
    virtual void MarkPainted();
    virtual bool NeedsPaint() const { return needsPaint; }
    // Called under the core lock just before a draw pass: copies into paint-only
    // fields everything Render will read (the base copies value, blend and hidden).
    virtual void CapturePaintState();
    // A host's marks on the parameter; controls that draw none ignore them.
    virtual void SetMarks(const ParamMarks& marks) { (void)marks; }

    // Whether a box will open: another box may already be open, or the window gone.
    bool RequestValueEntry();
    void FinishEntry();
    // The linked parameter, or none.
    PluginParam* Param() const;

    IEffectCore* owner;
    EditorSurface* surface = nullptr;  // set by EditorSurface::AddControl
    PixelRect rect;
    PixelRect hitRect;
    int32_t paramIndex;
    double value = 0.0;
    double defaultValue = -1.0;
    double lowLimit = 0.0;
    double highLimit = 1.0;
    bool needsPaint = true;
    bool hidden = false;
    bool greyed = false;
    bool paintAgain = false;
    bool entryDisabled = false;
    bool entryOpen = false;
    bool doubleClickAsPress = false;
    BlendSpec blend;
    const char* tooltip = nullptr;

    // Paint-only copies, written by CapturePaintState on the window's thread.
    double paintValue = 0.0;
    BlendSpec paintBlend;
};

// The drag behaviour of knob-type controls.
struct KnobDragRule {
    double gearing = 4.0;
    int32_t direction = 0;  // 0 vertical, otherwise horizontal

    void Apply(IControl& control, int dx, int dy, const MouseMods& mods) const;
};

// The editor's background: one frame of a (possibly multi-frame) bitmap chosen by value.
class IBitmapControl : public IControl {
  public:
    IBitmapControl(IEffectCore* owner, const PixelRect& rect, int paramIndex,
                   const BitmapRef& bitmap, bool verticalFrames = true);
    bool Render(EditorSurface* surface) override;
    // The frame (1..frames) that shows value v.
    int FrameFor(double v) const;

    BitmapRef bitmap;
    bool verticalFrames;
};

}  // namespace tav
