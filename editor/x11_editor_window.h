#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "core/core_lock.h"
#include "editor/drawn_entry_box.h"
#include "editor/editor_surface.h"
#include "editor/entry_state.h"
#include "editor/frame_pacer.h"

namespace tav {

// The editor as an X11 child window of the host's window, on a display connection of
// its own that lives from OpenInParent to CloseNative (nothing touches X before, so
// hosts and scanners without a display load the module fine). The host's effEditIdle
// calls drive it: pending X events are handled on every call, the tick (entry boxes,
// repaint of changed controls, wheel-gesture countdown) runs at most frameRate times
// a second. When idle calls stop coming, a thread of the window's own does the same
// work, so hosts that never send them still get a live editor; the window's lock
// keeps the two from ever touching X at the same time.
class X11EditorWindow : public EditorSurface {
  public:
    X11EditorWindow(IEffectCore* owner, int width, int height, int frameRate);
    ~X11EditorWindow() override;

    bool PresentRegion(const PixelRect& area) override;
    void OpenTextEntry(IEditableTextControl* control) override;
    bool OpenValueEntry(IControl* control, PluginParam* param) override;
    bool CanOpenValueEntry() const override { return !entryBox_.IsOpen(); }
    void HostDirectory(char* out, int outSize) override;
    void ModuleDirectory(char* out, int outSize) override;
    void AskForFile(char* inOutPath, int pathSize, int action, const char* initialDirectory,
                    const char* extensions) override;
    bool AskForColour(ArgbColor* inOutColor, const char* prompt) override;
    bool OpenWebPage(const char* url, const char* caption, const char* confirmText,
                     const char* errorText) override;
    void* OpenInParent(void* parent) override;
    void CloseNative() override;
    void* NativeHandle() const override;
    RasterBitmap* LoadBitmapResource(int resourceNumber, const char* fileName) override;
    void Idle() override;
    // The canvas and the window change size under the window's lock, which the
    // window's own thread holds while it paints.
    bool SetScalePercent(int percent) override;
    void SettleScale() override;

    // A host that drives the window from its own run loop (a timer and the X
    // connection's descriptor calling Idle) wants no thread of the window's own.
    // Takes effect at the next OpenInParent.
    void SetHostDriven(bool driven) { hostDriven_ = driven; }
    // The same for the open window: its own thread stops, joined before this
    // returns (so never from the thread itself, nor with the window's lock held).
    void LetHostDrive();
    // The X connection's descriptor while the window is open; -1 otherwise.
    int ConnectionFd() const;
    // A key the host passes on (keysym and its text, UTF-8); true when the editor
    // used it. A key that also arrives from X right after is not taken twice.
    bool HostKey(unsigned long keysym, const char* text);

    // What tests and tools look at.
    int TickCount() const { return tickCount_.load(); }
    bool EntryBoxOpen() const;
    PixelRect EntryBoxRect() const;
    bool UsesSharedMemory() const;
    // Idle calls more than this far apart let the window's own thread take over.
    static constexpr int64_t kHostIdleGraceMicros = 300000;

  protected:
    void ApplyWindowSize() override;
    // Xft.dpi of the X server's resources.
    int ScreenScalePercent() override;

  private:
    struct XState;

    void HandlePendingEvents();
    void Tick();
    void CloseEntryBox();
    void PresentEntryBox();
    void TakeFocus();
    void FallbackLoop();
    // The one handler of typed keys from either source; true when used.
    bool KeyTyped(unsigned long keysym, const char* text, bool fromHost);
    void StopFallback();
    CoreLock* CoreLockOf() const;
    class RasterFont* EntryFont();

    std::unique_ptr<XState> x_;
    // Guards everything that touches X and the entry box; taken before the core lock.
    mutable std::recursive_mutex windowMutex_;
    FramePacer pacer_;
    std::atomic<int> tickCount_{0};
    std::atomic<int64_t> lastHostIdle_{0};

    DrawnEntryBox entryBox_;
    MemoryBitmap entryImage_{1, 1, 1};
    TextStyle entryStyle_;
    IControl* entryControl_ = nullptr;
    PluginParam* entryParam_ = nullptr;
    std::atomic<int32_t> entryState_{EntryIdle};
    PixelRect entryStaleArea_;  // where a closed box still shows
    bool entryImageStale_ = false;

    std::thread fallback_;
    std::mutex fallbackMutex_;
    std::condition_variable fallbackWake_;
    bool fallbackStop_ = false;
    bool hostDriven_ = false;
    // The last key taken, to drop the same key from the other source.
    unsigned long lastKeysym_ = 0;
    bool lastKeyFromHost_ = false;
    int64_t lastKeyMicros_ = 0;
    int pointerX_ = 0;
    int pointerY_ = 0;
};

}  // namespace tav
