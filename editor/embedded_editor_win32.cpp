// Windows: the Win32 child window in the host's HWND, on the host's window thread
// with a timer of its own; no host loop is needed.
#include "core/editor_link.h"
#include "editor/embedded_editor.h"

namespace tav {

bool EmbeddedEditor::OpenWindow(IEditorLink& editor, void* parent, IHostLoop*& loop) {
    loop = nullptr;
    return editor.OpenInParent(parent) != nullptr;
}

bool EmbeddedEditor::HandOver(IEditorLink&, IHostLoop&) {
    return false;
}

}  // namespace tav
