#pragma once

#include <cmath>
#include <cstdint>

namespace tav {

// The editor's scales, in percent.
constexpr int kEditorScales[] = {100, 150, 200};

// The supported scale nearest to a host's factor; 0 when the factor makes no sense
// (not positive, not a number, or beyond any screen).
inline int NearestEditorScale(double factor) {
    if (!(factor > 0.0) || factor > 8.0) return 0;
    if (factor < 1.25) return 100;
    return factor < 1.75 ? 150 : 200;
}

// What a host shows of a parameter on its control: a hardware controller mapped
// to it, and its automation. Colours are A, R, G, B words; alpha 0 shows nothing.
struct ParamMarks {
    uint32_t mappedColor = 0;
    uint32_t automationColor = 0;
    bool automationDriving = false;  // playing or recording, not merely there
    bool operator==(const ParamMarks&) const = default;
};

// What the plug-in core needs of an attached editor. The editor surface implements
// it; the core owns the attached editor and deletes it with itself.
class IEditorLink {
  public:
    virtual ~IEditorLink() = default;

    // Hands a parameter value to every control bound to index; a plain value
    // (isNormalised false) is converted to its unit position first.
    virtual void PushParamToControls(int index, double value, bool isNormalised) = 0;
    virtual void CreateCanvas() = 0;
    virtual void SetGestureTimeout(int ticks) = 0;
    virtual void CancelGestureTimeout() = 0;
    // The window's size in pixels at the current scale.
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual int ScalePercent() const { return 100; }
    // The window's size at another scale.
    virtual int WidthAt(int percent) const { return Width() * percent / ScalePercent(); }
    virtual int HeightAt(int percent) const { return Height() * percent / ScalePercent(); }
    // Takes a new scale at once (an open window resizes itself); whether it changed.
    // The host's or the user's choice: it stands over the saved default.
    virtual bool SetScalePercent(int percent) { return (void)percent, false; }
    // Decides a new editor's scale from the user's settings (or the screen) unless a
    // scale was set; called before the host first needs the size.
    virtual void SettleScale() {}
    virtual int FrameRate() const = 0;
    // Opens the native window inside the host's parent window; none on failure.
    virtual void* OpenInParent(void* parent) = 0;
    virtual void CloseNative() = 0;
    virtual intptr_t HandleCursorWheel(float delta) = 0;
    // The host's idle call for the open editor (effEditIdle), on its user-interface
    // thread, without the core lock. Windows that run their own timer ignore it.
    virtual void Idle() {}
    // The marks of the controls bound to a parameter (none keep them).
    virtual void ShowParamMarks(int index, const ParamMarks& marks) { (void)index, (void)marks; }
};

}  // namespace tav
