#include "tools/editor_window.h"

namespace tav {

// Editors open in Win32 windows only; the Linux module has no editor window yet.
std::unique_ptr<EditorHostWindow> EditorHostWindow::Create(std::string* error) {
    *error = "opening editors needs the Windows build of tavhost";
    return nullptr;
}

EditorHostWindow::~EditorHostWindow() = default;
bool EditorHostWindow::OpenEditor(HostedPlugin&, std::string* error) {
    *error = "no editor window on this platform";
    return false;
}
void EditorHostWindow::CloseEditor() {}
void* EditorHostWindow::EditorHandle() const {
    return nullptr;
}
bool EditorHostWindow::PumpUntil(const std::function<bool()>& done, int) {
    return done();
}
bool EditorHostWindow::WaitTicks(int, int) {
    return false;
}
bool EditorHostWindow::Capture(RgbImage*, std::string* error) {
    *error = "no editor window on this platform";
    return false;
}
void EditorHostWindow::MouseDown(int, int, MouseKeys, bool) {}
void EditorHostWindow::MouseMove(int, int, MouseKeys, bool) {}
void EditorHostWindow::MouseUp(int, int, MouseKeys, bool) {}
void EditorHostWindow::Click(int, int, MouseKeys) {}
void EditorHostWindow::PressKey(int) {}
void EditorHostWindow::SetModifierKeys(MouseKeys) {}

}  // namespace tav
