// The editor on Windows: the Win32 child window in the host's HWND, on the host's
// window thread with a timer of its own.
#include "clap/clap_plugin.h"
#include "clap/gui.h"
#include "core/editor_link.h"

namespace tav::clap {

const char* PlatformGuiApi() {
    return CLAP_WINDOW_API_WIN32;
}

bool OpenPlatformWindow(ClapPlugin& plugin, const clap_window& window) {
    return plugin.Effect().Editor()->OpenInParent(window.win32) != nullptr;
}

void ClosePlatformWindow(ClapPlugin& plugin) {
    plugin.Effect().Editor()->CloseNative();
}

}  // namespace tav::clap
