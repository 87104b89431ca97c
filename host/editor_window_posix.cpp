#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "host/editor_window.h"

namespace tav {

// The host side of an X11 editor: a top-level window on a display connection of the
// host's own, input through XTest (which moves the real pointer: use a private
// display, e.g. xvfb-run -a) and effEditIdle calls in place of a DAW's UI loop.
namespace {

Display* Dpy(void* display) {
    return static_cast<Display*>(display);
}
Window Win(void* window) {
    return static_cast<Window>(reinterpret_cast<uintptr_t>(window));
}

constexpr int kFrameMs = 1000 / 24 + 1;

// Windows virtual-key codes, as the editor tests use them, to key symbols.
KeySym KeysymForVirtualKey(int vk) {
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) {
        return vk >= 'A' ? static_cast<KeySym>(XK_a + (vk - 'A')) : static_cast<KeySym>(vk);
    }
    static const struct {
        int vk;
        KeySym keysym;
    } kKeys[] = {
        {0x08, XK_BackSpace}, {0x0D, XK_Return}, {0x1B, XK_Escape}, {0x20, XK_space},
        {0x23, XK_End},       {0x24, XK_Home},   {0x25, XK_Left},   {0x26, XK_Up},
        {0x27, XK_Right},     {0x28, XK_Down},   {0x2E, XK_Delete}, {0x6E, XK_KP_Decimal},
        {0x70, XK_F1},        {0xBD, XK_minus},  {0xBE, XK_period},
    };
    for (const auto& key : kKeys) {
        if (key.vk == vk) return key.keysym;
    }
    return NoSymbol;
}

bool WaitForMap(Display* display, Window window, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, window, &attributes) &&
            attributes.map_state == IsViewable) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

}  // namespace

std::unique_ptr<EditorHostWindow> EditorHostWindow::Create(std::string* error) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        *error = "cannot open the X display (set DISPLAY, or run under xvfb-run -a)";
        return nullptr;
    }
    const int screen = DefaultScreen(display);
    XSetWindowAttributes attributes = {};
    attributes.background_pixel = BlackPixel(display, screen);
    attributes.override_redirect = True;  // placed where asked, with or without a window manager
    // Low on the screen, so that a drag upwards from a knob has room for the pointer.
    const int top = std::max(0, std::min(600, DisplayHeight(display, screen) - 360));
    const Window window =
        XCreateWindow(display, RootWindow(display, screen), 64, top, 64, 64, 0, CopyFromParent,
                      InputOutput, CopyFromParent, CWBackPixel | CWOverrideRedirect, &attributes);
    XStoreName(display, window, "tavhost");
    XMapRaised(display, window);
    XSync(display, False);
    if (!WaitForMap(display, window, 10000)) {
        XCloseDisplay(display);
        *error = "the host window did not appear";
        return nullptr;
    }
    std::unique_ptr<EditorHostWindow> host(new EditorHostWindow());
    host->display_ = display;
    host->window_ = reinterpret_cast<void*>(window);
    return host;
}

EditorHostWindow::~EditorHostWindow() {
    CloseEditor();
    if (display_ != nullptr) {
        SetModifierKeys({});
        XDestroyWindow(Dpy(display_), Win(window_));
        XCloseDisplay(Dpy(display_));
    }
}

void EditorHostWindow::ShowForEditor() {
    ResizeTo(width_, height_);
}

// An X11 editor may make its window after the call returns: nothing to check yet.
bool EditorHostWindow::HoldsEditor(std::string*) const {
    return true;
}

// Low on the screen, so that a drag upwards from a knob has room for the pointer, but
// all of it on the screen: X reads back only what is.
void EditorHostWindow::ResizeTo(int width, int height) {
    width_ = width;
    height_ = height;
    Display* display = Dpy(display_);
    const int top =
        std::max(0, std::min(600, DisplayHeight(display, DefaultScreen(display)) - height - 25));
    XMoveResizeWindow(display, Win(window_), 64, top, static_cast<unsigned>(width),
                      static_cast<unsigned>(height));
    XSync(display, False);
}

void* EditorHostWindow::EditorHandle() const {
    if (display_ == nullptr) return nullptr;
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(Dpy(display_), Win(window_), &root, &parent, &children, &count)) return nullptr;
    const Window child = count > 0 ? children[count - 1] : 0;
    if (children != nullptr) XFree(children);
    return reinterpret_cast<void*>(child);
}

// The DAW's UI loop: idle calls every couple of milliseconds.
bool EditorHostWindow::PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    const auto start = std::chrono::steady_clock::now();
    const auto end = start + std::chrono::milliseconds(timeoutMs);
    while (true) {
        XSync(Dpy(display_), False);  // our input requests have reached the server
        if (plugin_ != nullptr) plugin_->EditorIdle();
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

// The editor ticks on its own clock; n ticks have passed once n + 1 frame periods of
// idle calls have.
bool EditorHostWindow::WaitTicks(int n, int timeoutMs) {
    if (plugin_ == nullptr) return false;
    const auto until =
        std::chrono::steady_clock::now() + std::chrono::milliseconds((n + 1) * kFrameMs);
    PumpUntil([&] { return std::chrono::steady_clock::now() >= until; }, timeoutMs);
    ticks_ += n;
    return std::chrono::steady_clock::now() >= until;
}

bool EditorHostWindow::Capture(RgbImage* image, std::string* error) {
    XSync(Dpy(display_), False);
    XImage* shot = XGetImage(Dpy(display_), Win(window_), 0, 0, static_cast<unsigned>(width_),
                             static_cast<unsigned>(height_), AllPlanes, ZPixmap);
    if (shot == nullptr) {
        *error = "cannot read the window back (XGetImage)";
        return false;
    }
    image->width = width_;
    image->height = height_;
    image->rgb.assign(static_cast<size_t>(width_) * height_ * 3, 0);
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            const unsigned long p = XGetPixel(shot, x, y);
            uint8_t* out = image->rgb.data() + (static_cast<size_t>(y) * width_ + x) * 3;
            out[0] = static_cast<uint8_t>((p >> 16) & 0xFF);
            out[1] = static_cast<uint8_t>((p >> 8) & 0xFF);
            out[2] = static_cast<uint8_t>(p & 0xFF);
        }
    }
    XDestroyImage(shot);
    return true;
}

void EditorHostWindow::SetModifierKeys(MouseKeys keys) {
    Display* display = Dpy(display_);
    const struct {
        bool want, held;
        KeySym keysym;
    } mods[] = {{keys.shift, heldKeys_.shift, XK_Shift_L},
                {keys.control, heldKeys_.control, XK_Control_L}};
    for (const auto& m : mods) {
        if (m.want == m.held) continue;
        XTestFakeKeyEvent(display, XKeysymToKeycode(display, m.keysym), m.want ? True : False, 0);
    }
    heldKeys_ = keys;
    XSync(display, False);
}

namespace {

void MovePointer(Display* display, Window editor, int x, int y) {
    int rootX = 0, rootY = 0;
    Window child = 0;
    XTranslateCoordinates(display, editor, DefaultRootWindow(display), x, y, &rootX, &rootY,
                          &child);
    XTestFakeMotionEvent(display, -1, rootX, rootY, 0);
}

}  // namespace

void EditorHostWindow::MouseDown(int x, int y, MouseKeys keys, bool right) {
    SetModifierKeys(keys);
    MovePointer(Dpy(display_), Win(window_), x, y);
    XTestFakeButtonEvent(Dpy(display_), right ? 3 : 1, True, 0);
    XSync(Dpy(display_), False);
}

void EditorHostWindow::MouseMove(int x, int y, MouseKeys keys, bool) {
    SetModifierKeys(keys);
    MovePointer(Dpy(display_), Win(window_), x, y);
    XSync(Dpy(display_), False);
}

void EditorHostWindow::MouseUp(int x, int y, MouseKeys keys, bool right) {
    SetModifierKeys(keys);
    MovePointer(Dpy(display_), Win(window_), x, y);
    XTestFakeButtonEvent(Dpy(display_), right ? 3 : 1, False, 0);
    XSync(Dpy(display_), False);
    SetModifierKeys({});
}

// X reports each wheel notch as a press and release of button 4 (up) or 5 (down).
void EditorHostWindow::Wheel(int x, int y, int notches, MouseKeys keys) {
    SetModifierKeys(keys);
    MovePointer(Dpy(display_), Win(window_), x, y);
    for (int i = 0; i < std::abs(notches); ++i) {
        XTestFakeButtonEvent(Dpy(display_), notches > 0 ? 4 : 5, True, 0);
        XTestFakeButtonEvent(Dpy(display_), notches > 0 ? 4 : 5, False, 0);
    }
    XSync(Dpy(display_), False);
    SetModifierKeys({});
}

void EditorHostWindow::PressKey(int virtualKey) {
    Display* display = Dpy(display_);
    const KeyCode code = XKeysymToKeycode(display, KeysymForVirtualKey(virtualKey));
    if (code == 0) return;
    XTestFakeKeyEvent(display, code, True, 0);
    XTestFakeKeyEvent(display, code, False, 0);
    XSync(display, False);
}

}  // namespace tav
