// Linux: an X11 child window. When the host lends its loop, the loop carries all
// of the window's work (no thread of its own); otherwise the window runs itself,
// as in VST 2 hosts.
#include "editor/embedded_editor.h"
#include "editor/x11_editor_window.h"

namespace tav {

bool EmbeddedEditor::OpenWindow(IEditorLink& editor, void* parent, IHostLoop*& loop) {
    auto* window = dynamic_cast<X11EditorWindow*>(&editor);
    if (window == nullptr) return false;
    window->SetHostDriven(loop != nullptr);
    if (window->OpenInParent(parent) == nullptr) return false;
    if (loop == nullptr) return true;
    const int fd = window->ConnectionFd();
    if (loop->StartTimer(kHostTimerMilliseconds) && fd >= 0 && loop->WatchDescriptor(fd))
        return true;
    // The host would not take both: the window runs itself after all.
    loop->StopAll();
    loop = nullptr;
    window->CloseNative();
    window->SetHostDriven(false);
    return window->OpenInParent(parent) != nullptr;
}

bool EmbeddedEditor::HandOver(IEditorLink& editor, IHostLoop& loop) {
    auto* window = dynamic_cast<X11EditorWindow*>(&editor);
    const int fd = window != nullptr ? window->ConnectionFd() : -1;
    if (fd < 0 || !loop.StartTimer(kHostTimerMilliseconds) || !loop.WatchDescriptor(fd)) {
        loop.StopAll();
        return false;
    }
    window->LetHostDrive();
    return true;
}

}  // namespace tav
