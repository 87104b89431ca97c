// The editor on Linux: an X11 child window. When the host offers timer and
// descriptor support, they carry all of its work (no thread of the window's
// own); otherwise the window runs itself, as in VST 2 hosts.
#include <cstdint>

#include "clap/clap_plugin.h"
#include "clap/gui.h"
#include "editor/x11_editor_window.h"

namespace tav::clap {
namespace {

constexpr uint32_t kTimerMilliseconds = 20;

template <class T>
const T* HostExtension(const clap_host* host, const char* id) {
    return static_cast<const T*>(host->get_extension(host, id));
}

void GiveBack(const clap_host* host, GuiState& gui) {
    if (gui.timerId != CLAP_INVALID_ID) {
        if (const auto* timers =
                HostExtension<clap_host_timer_support>(host, CLAP_EXT_TIMER_SUPPORT))
            timers->unregister_timer(host, gui.timerId);
    }
    if (gui.fd >= 0) {
        if (const auto* fds =
                HostExtension<clap_host_posix_fd_support>(host, CLAP_EXT_POSIX_FD_SUPPORT))
            fds->unregister_fd(host, gui.fd);
    }
    gui.timerId = CLAP_INVALID_ID;
    gui.fd = -1;
}

}  // namespace

const char* PlatformGuiApi() {
    return CLAP_WINDOW_API_X11;
}

bool OpenPlatformWindow(ClapPlugin& plugin, const clap_window& window) {
    auto* editor = dynamic_cast<X11EditorWindow*>(plugin.Effect().Editor());
    if (editor == nullptr) return false;
    void* parent = reinterpret_cast<void*>(static_cast<uintptr_t>(window.x11));
    const clap_host* host = plugin.Host();
    const auto* timers = HostExtension<clap_host_timer_support>(host, CLAP_EXT_TIMER_SUPPORT);
    const auto* fds = HostExtension<clap_host_posix_fd_support>(host, CLAP_EXT_POSIX_FD_SUPPORT);
    const bool lent = timers != nullptr && timers->register_timer != nullptr &&
                      timers->unregister_timer != nullptr && fds != nullptr &&
                      fds->register_fd != nullptr && fds->unregister_fd != nullptr;
    editor->SetHostDriven(lent);
    if (editor->OpenInParent(parent) == nullptr) return false;
    if (!lent) return true;
    GuiState& gui = plugin.Gui();
    clap_id timer = CLAP_INVALID_ID;
    if (timers->register_timer(host, kTimerMilliseconds, &timer)) gui.timerId = timer;
    const int fd = editor->ConnectionFd();
    if (fd >= 0 && fds->register_fd(host, fd, CLAP_POSIX_FD_READ)) gui.fd = fd;
    if (gui.timerId != CLAP_INVALID_ID && gui.fd >= 0) return true;
    // The host would not take both: the window runs itself after all.
    GiveBack(host, gui);
    editor->CloseNative();
    editor->SetHostDriven(false);
    return editor->OpenInParent(parent) != nullptr;
}

void ClosePlatformWindow(ClapPlugin& plugin) {
    GiveBack(plugin.Host(), plugin.Gui());
    plugin.Effect().Editor()->CloseNative();
}

}  // namespace tav::clap
