// The editor on Linux: an X11 child window. When the host offers timer and
// descriptor support, they carry all of its work (no thread of the window's
// own); otherwise the window runs itself, as in VST 2 hosts.
#include <cstdint>

#include "clap/clap_plugin.h"
#include "clap/gui.h"

namespace tav::clap {

const char* PlatformGuiApi() {
    return CLAP_WINDOW_API_X11;
}

bool OpenPlatformWindow(ClapPlugin& plugin, const clap_window& window) {
    void* parent = reinterpret_cast<void*>(static_cast<uintptr_t>(window.x11));
    const clap_host* host = plugin.Host();
    const auto* timers = static_cast<const clap_host_timer_support*>(
        host->get_extension(host, CLAP_EXT_TIMER_SUPPORT));
    const auto* fds = static_cast<const clap_host_posix_fd_support*>(
        host->get_extension(host, CLAP_EXT_POSIX_FD_SUPPORT));
    const bool lent = timers != nullptr && timers->register_timer != nullptr &&
                      timers->unregister_timer != nullptr && fds != nullptr &&
                      fds->register_fd != nullptr && fds->unregister_fd != nullptr;
    GuiState& gui = plugin.Gui();
    gui.loop.host = host;
    return gui.face.Open(*plugin.Face(), parent, lent ? &gui.loop : nullptr);
}

}  // namespace tav::clap
