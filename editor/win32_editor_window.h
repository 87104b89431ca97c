#pragma once

#include <cstdint>
#include <memory>

#include "editor/editor_surface.h"

namespace tav {

// States of the native entry box; the window timer acts on them.
enum EntryState : int32_t {
    EntryIdle = 0,
    EntryEditing = 1,
    EntryCancel = 2,
    EntryCommit = 3,
};

// The editor as a Win32 child window inside the host's window: a timer drives all
// repainting, window messages become the surface's events, and native EDIT and
// COMBOBOX boxes take typed values. Everything runs on the thread that owns the
// host's window. Handles are kept as void* so that <windows.h> stays out of here.
class Win32EditorWindow : public EditorSurface {
  public:
    static constexpr int kTimerId = 2;
    static constexpr int kEntryBoxId = 99;

    Win32EditorWindow(IEffectCore* owner, int width, int height, int frameRate);
    ~Win32EditorWindow() override;

    bool PresentRegion(const PixelRect& area) override;
    void OpenTextEntry(IEditableTextControl* control) override;
    bool OpenValueEntry(IControl* control, PluginParam* param) override;
    bool CanOpenValueEntry() const override { return window != nullptr && entryBox == nullptr; }
    void HostDirectory(char* out, int outSize) override;
    void ModuleDirectory(char* out, int outSize) override;
    void AskForFile(char* inOutPath, int pathSize, int action, const char* initialDirectory,
                    const char* extensions) override;
    bool AskForColour(ArgbColor* inOutColor, const char* prompt) override;
    bool OpenWebPage(const char* url, const char* caption, const char* confirmText,
                     const char* errorText) override;
    intptr_t HandleCursorWheel(float notches) override;
    void* OpenInParent(void* parent) override;
    void CloseNative() override;
    void* NativeHandle() const override { return window; }
    RasterBitmap* LoadBitmapResource(int resourceNumber, const char* fileName) override;

    // One timer tick: entry box first, then repaint, then the gesture countdown.
    void Tick();

    void* EntryBox() const { return entryBox; }
    IControl* EntryControl() const { return entryControl; }
    int32_t CurrentEntryState() const { return entryState; }

  protected:
    void ApplyWindowSize() override;

  private:
    friend struct Win32EditorProcs;

    void CloseEntryBox(bool finish);
    void* CreateEntryBox(const char* className, uint32_t style, int x, int y, int w, int h);
    void AdoptEntryBox(void* box, IControl* control, PluginParam* param, void* font);
    void WindowGone(void* hwnd);
    void EndGestureIfPending();
    bool TakesFocusForHost();
    MouseMods ModsFromKeyState(bool left, bool right) const;

    void* window = nullptr;
    void* entryBox = nullptr;
    IControl* entryControl = nullptr;
    PluginParam* entryParam = nullptr;
    void* entryOldProc = nullptr;
    void* entryFont = nullptr;  // made for the open box, deleted when it closes
    int32_t entryState = EntryIdle;
    std::unique_ptr<uint32_t[]> customColours;
    bool windowCounted = false;  // this object's window is in the process-wide count
    bool inPaintMessage = false;
    bool pressRouted =
        false;  // a press or double-click reached the surface; its release may follow
};

// Open editor windows in this process; the window class is registered while it is above zero.
int OpenEditorWindowCount();

}  // namespace tav
