// The controller's editor view: the effect's own face in a child window of the
// host's, the same window the VST 2 module opens. Fixed in size. On Linux the
// host's run loop, when it lends one, drives the window (no thread of its own)
// and carries the controller's notices to the host.
#pragma once

#include "editor/embedded_editor.h"
#include "vst3/com_object.h"

namespace tav {
class IEditorLink;
}

namespace tav::vst3 {

class Controller;

class PlugView final : public RefCounted,
                       public IPlugView,
                       public IPlugViewContentScaleSupport,
                       public IEventHandler,
                       public ITimerHandler,
                       private IHostLoop {
  public:
    explicit PlugView(Controller* controller);
    ~PlugView() override;

    tresult queryInterface(const TUID iid, void** obj) override;
    TAV_VST3_REFCOUNT

    tresult isPlatformTypeSupported(FIDString type) override;
    tresult attached(void* parent, FIDString type) override;
    tresult removed() override;
    tresult onWheel(float distance) override;
    tresult onKeyDown(char16 key, int16 keyCode, int16 modifiers) override;
    tresult onKeyUp(char16 key, int16 keyCode, int16 modifiers) override;
    tresult getSize(ViewRect* size) override;
    tresult onSize(ViewRect* newSize) override;
    tresult onFocus(TBool state) override;
    tresult setFrame(IPlugFrame* frame) override;
    tresult canResize() override;
    tresult checkSizeConstraint(ViewRect* rect) override;
    tresult setContentScaleFactor(float factor) override;
    // The host's run loop (Linux): the X connection has input, or the timer ran.
    void onFDIsSet(int fd) override;
    void onTimer() override;

    // The controller is going away with the view still attached: close the window.
    void Detach();
    // Asks the host for the window's size at another scale and takes the scale when
    // it agrees (or is not asked: no window, or no frame); whether it did.
    bool ApplyScale(int percent);

  private:
    IEditorLink* Editor() const;
    // Platform parts (plug_view_<platform>.cpp).
    static const char* PlatformType();
    // The host loop the face is driven by, when the platform uses one.
    IHostLoop* PlatformLoop();
    tresult PlatformKey(char16 key, int16 keyCode);
    // IHostLoop: the run loop, registered with our handlers.
    bool StartTimer(uint32_t milliseconds) override;
    bool WatchDescriptor(int fd) override;
    void StopAll() override;

    Controller* controller_;  // holds a reference: the view never outlives it
    HostRef<IPlugFrame> frame_;
    HostRef<IRunLoop> runLoop_;  // the loop our handlers are registered with
    EmbeddedEditor face_;
    // The size a resize we asked for will bring, until the host has answered.
    bool resizing_ = false;
    ViewRect pendingSize_{};
};

}  // namespace tav::vst3
