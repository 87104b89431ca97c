// The editor on Windows: the Win32 child window in the host's HWND, on the host's
// window thread with a timer of its own.
#include "clap/clap_plugin.h"
#include "clap/gui.h"

namespace tav::clap {

const char* PlatformGuiApi() {
    return CLAP_WINDOW_API_WIN32;
}

bool OpenPlatformWindow(ClapPlugin& plugin, const clap_window& window) {
    return plugin.Gui().face.Open(*plugin.Face(), window.win32, nullptr);
}

}  // namespace tav::clap
