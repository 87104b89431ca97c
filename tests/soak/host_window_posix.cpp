#include <X11/Xlib.h>

#include <cstdint>

#include "tests/soak/host_window.h"

namespace tav {

// A plain top-level X window on the display in DISPLAY; none without a display.
// The editor opens its own connection and reparents into this window by its id.
namespace {
Display* display = nullptr;
}

HostWindow::HostWindow() {
    display = XOpenDisplay(nullptr);
    if (display == nullptr) return;
    const int screen = DefaultScreen(display);
    const Window window =
        XCreateSimpleWindow(display, RootWindow(display, screen), 40, 40, 560, 380, 0,
                            BlackPixel(display, screen), BlackPixel(display, screen));
    XMapWindow(display, window);
    XSync(display, False);
    handle_ = reinterpret_cast<void*>(static_cast<uintptr_t>(window));
}

HostWindow::~HostWindow() {
    if (display == nullptr) return;
    if (handle_ != nullptr) {
        XDestroyWindow(display, static_cast<Window>(reinterpret_cast<uintptr_t>(handle_)));
    }
    XCloseDisplay(display);
    display = nullptr;
}

void HostWindow::Pump() {
    if (display == nullptr) return;
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
    }
}

}  // namespace tav
