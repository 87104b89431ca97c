// A host's window for a plug-in's editor: a top-level window the editor opens into as
// a child, as a DAW's plug-in window does. One window serves any number of open and
// close cycles, since closing a top-level window is slow under Wine.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "host/plugin_instance.h"
#include "host/png_file.h"

namespace tav {

struct MouseKeys {
    bool shift = false;
    bool control = false;
};

class EditorHostWindow {
  public:
    // None with a reason where there is no window system to open editors in.
    static std::unique_ptr<EditorHostWindow> Create(std::string* error);
    ~EditorHostWindow();
    EditorHostWindow(const EditorHostWindow&) = delete;
    EditorHostWindow& operator=(const EditorHostWindow&) = delete;

    // The editor's size, fit the window to it, open the editor in it.
    bool OpenEditor(PluginInstance& plugin, std::string* error);
    // Closes the editor, once it is open.
    void CloseEditor();
    bool IsEditorOpen() const { return plugin_ != nullptr; }
    int EditorWidth() const { return width_; }
    int EditorHeight() const { return height_; }
    // Whether the window takes the sizes the open editor asks for (a DAW may not).
    bool acceptResize = true;
    // Editor resize requests answered since the editor opened.
    int ResizeRequests() const { return resizeRequests_; }
    // The plug-in's window inside ours, or none.
    void* EditorHandle() const;

    // Delivers window messages until done() holds (checked between messages) or
    // timeoutMs passes; true when done() held.
    bool PumpUntil(const std::function<bool()>& done, int timeoutMs);
    // Timer messages delivered to the editor's windows since it opened.
    int TimerTicks() const { return ticks_; }
    // Waits for n more timer ticks, then delivers what they left in the queue.
    bool WaitTicks(int n, int timeoutMs = 20000);

    // The editor's pixels as they are on screen, read back from its window.
    bool Capture(RgbImage* image, std::string* error);

    // Mouse messages to the editor, in its client coordinates (may lie outside it
    // while a button is held).
    void MouseDown(int x, int y, MouseKeys keys = {}, bool right = false);
    void MouseMove(int x, int y, MouseKeys keys = {}, bool leftHeld = true);
    void MouseUp(int x, int y, MouseKeys keys = {}, bool right = false);
    void Click(int x, int y, MouseKeys keys = {});
    // Wheel notches (positive away from the user) with the pointer at (x, y).
    void Wheel(int x, int y, int notches, MouseKeys keys = {});
    // A key press and release to the window that has the keyboard focus.
    void PressKey(int virtualKey);

  private:
    EditorHostWindow() = default;
    void SetModifierKeys(MouseKeys keys);
    // The editor's size, into width_ and height_.
    bool ReadEditorSize(PluginInstance& plugin, std::string* error);
    // Lends the open editor our answer to its resize requests, and takes it back.
    void ListenForResize(PluginInstance& plugin);
    void StopListening();
    // Fits the window to a new editor size.
    void ResizeTo(int width, int height);
    // The window shown at the editor's size, before the editor opens in it.
    void ShowForEditor();
    // Whether the editor that said it opened put a window into ours.
    bool HoldsEditor(std::string* error) const;

    void* window_ = nullptr;
    void* display_ = nullptr;  // X11: the host's own display connection
    MouseKeys heldKeys_;       // X11: modifier keys held down through XTest
    PluginInstance* plugin_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    int ticks_ = 0;
    int resizeRequests_ = 0;
};

// Opens the plug-in's editor, lets it paint, saves what is on screen as a PNG and
// closes the editor.
bool SaveEditorScreenshot(PluginInstance& plugin, const std::string& pngPath, std::string* error);

}  // namespace tav
