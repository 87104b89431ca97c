// The view on Linux: an X11 child window, driven by the host's run loop when its
// frame lends one, else by the window's own thread as in VST 2 hosts; and the
// host's virtual keys as X keysyms.
#include <X11/keysym.h>

#include "editor/x11_editor_window.h"
#include "vst3/plug_view.h"

namespace tav::vst3 {
namespace {

// The keysym of a host's virtual key code; 0 for codes the editor has no use for.
unsigned long KeysymOf(int16 keyCode) {
    static const struct {
        int16 code;
        unsigned long keysym;
    } kKeys[] = {{1, XK_BackSpace}, {4, XK_Return}, {6, XK_Escape},    {7, XK_space},
                 {9, XK_End},       {10, XK_Home},  {11, XK_Left},     {12, XK_Up},
                 {13, XK_Right},    {14, XK_Down},  {19, XK_KP_Enter}, {22, XK_Delete}};
    for (const auto& k : kKeys) {
        if (k.code == keyCode) return k.keysym;
    }
    return 0;
}

X11EditorWindow* WindowOf(IEditorLink* editor) {
    return dynamic_cast<X11EditorWindow*>(editor);
}

}  // namespace

const char* PlugView::PlatformType() {
    return "X11EmbedWindowID";
}

IHostLoop* PlugView::PlatformLoop() {
    runLoop_.QueryFrom(frame_.Get());
    return runLoop_ ? this : nullptr;
}

tresult PlugView::PlatformKey(char16 key, int16 keyCode) {
    X11EditorWindow* window = WindowOf(Editor());
    if (window == nullptr) return kResultFalse;
    unsigned long keysym = KeysymOf(keyCode);
    char text[4] = {};
    if (keysym == 0 && key >= 0x20 && key < 0x7F) {
        keysym = key;  // printable ASCII: the keysym is the character
        text[0] = static_cast<char>(key);
    }
    if (keysym == 0) return kResultFalse;
    return window->HostKey(keysym, text) ? kResultTrue : kResultFalse;
}

}  // namespace tav::vst3
