#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "editor/icontrol.h"
#include "editor/text_controls.h"
#include "editor/win32_editor_window.h"
#include "raster/memory_bitmap.h"
#include "tests/support/gui_object_counts.h"
#include "tests/support/recording_host.h"

namespace tav::test {

// Runs the thread's message loop until done() holds; false after the timeout.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 15000);
// No posted message waits in this thread's queue.
bool PostedQueueEmpty();

// The window's pixels (opaque), read back from its own DC as the screen shows them.
std::unique_ptr<MemoryBitmap> CaptureWindow(HWND hwnd, int width, int height);

// Waits on a thread of its own for a window of this class and title (either may be
// none), lets look() see it, then sends it the command (IDOK, IDCANCEL).
std::thread AnswerDialog(const char* className, const char* title, WPARAM command,
                         std::function<void(HWND)> look);

// A top-level window to host editors in, made once per program: Wine waits about two
// seconds when a captioned top-level window is destroyed without a window manager.
HWND SharedParentWindow();

// Test controls on a plain background.
class PlainBackground : public IControl {
  public:
    PlainBackground(IEffectCore* owner, const PixelRect& rect, ArgbColor colour)
        : IControl(owner, rect, -1), colour_(colour) {}
    bool Render(EditorSurface* surface) override;

  private:
    ArgbColor colour_;
};

// A vertical bar whose filled part shows the value; dragged like a knob.
class BarKnob : public IControl {
  public:
    BarKnob(IEffectCore* owner, const PixelRect& rect, int paramIndex)
        : IControl(owner, rect, paramIndex) {}
    void MouseDragged(int x, int y, int dx, int dy, const MouseMods& mods) override;
    void KeyPressed(int, int, int key) override { keys.push_back(key); }
    bool Render(EditorSurface* surface) override;

    KnobDragRule drag;
    std::vector<int> keys;
};

// The recording core, with the host identity a test asks for.
class TestCore : public RecordingHost {
  public:
    using RecordingHost::RecordingHost;
    void SetHostId(HostKind id) { hostId_ = id; }
};

// A recording core with a continuous, a choice and a spare parameter, and an editor
// of test controls (three bars and a line of editable text) for the shared parent.
class EditorWindowFixture {
  public:
    enum Params { kFreq, kMode, kDepth, kParamCount };
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 200;

    EditorWindowFixture();
    ~EditorWindowFixture();

    bool Open();
    POINT CentreOf(const IControl* control) const;
    POINT ScreenPoint(POINT client) const;
    void Post(UINT msg, WPARAM wp, POINT client) const;
    void PostKey(HWND target, WPARAM vk) const;
    void Type(HWND target, const char* digits) const;
    HWND Box() const { return GetDlgItem(window, Win32EditorWindow::kEntryBoxId); }
    double Unit(int param) const { return core->Param(param)->CurrentUnit(); }
    int Count(const std::string& event) const;
    void ClearRecord();

    std::unique_ptr<TestCore> core;
    Win32EditorWindow* editor;  // owned by the core
    BarKnob* knob;
    BarKnob* choice;
    IEditableTextControl* label;
    HWND window = nullptr;
};

}  // namespace tav::test
