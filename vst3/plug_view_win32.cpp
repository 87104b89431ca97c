// The view on Windows: the editor's Win32 child window in the host's HWND. It
// runs on the host's window thread with a timer of its own and takes its keys
// from Windows itself.
#include "vst3/plug_view.h"

namespace tav::vst3 {

const char* PlugView::PlatformType() {
    return "HWND";
}

IHostLoop* PlugView::PlatformLoop() {
    return nullptr;
}

tresult PlugView::PlatformKey(char16, int16) {
    return kResultFalse;
}

}  // namespace tav::vst3
