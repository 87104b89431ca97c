#pragma once

#include <cstdint>

namespace tav {

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
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual int FrameRate() const = 0;
    // Opens the native window inside the host's parent window; none on failure.
    virtual void* OpenInParent(void* parent) = 0;
    virtual void CloseNative() = 0;
    virtual intptr_t HandleCursorWheel(float delta) = 0;
    // The host's idle call for the open editor (effEditIdle), on its user-interface
    // thread, without the core lock. Windows that run their own timer ignore it.
    virtual void Idle() {}
};

}  // namespace tav
