#include "editor/x11_editor_window.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <system_error>
#include <vector>

#include "core/effect_core.h"
#include "core/plugin_param.h"
#include "editor/click_tracker.h"
#include "editor/detached_launch.h"
#include "editor/editor_settings.h"
#include "editor/text_controls.h"
#include "editor/x11_error_trap.h"
#include "editor/x11_image_presenter.h"
#include "editor/x11_keys.h"
#include "raster/glyph_cache_font.h"
#include "raster/png_resource.h"

namespace tav {
namespace {

constexpr long kEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | ButtonMotionMask |
                            KeyPressMask | FocusChangeMask | StructureNotifyMask;
constexpr int kHostWithFocus = 25;  // the host that expects the editor to take the keyboard
constexpr int kEntryFontSize = 14;

int64_t NowMicros() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

MouseMods ModsOf(unsigned int state, unsigned int pressed, unsigned int released) {
    MouseMods mods;
    mods.left = ((state & Button1Mask) != 0 || pressed == Button1) && released != Button1;
    mods.right = ((state & Button3Mask) != 0 || pressed == Button3) && released != Button3;
    mods.shift = (state & ShiftMask) != 0;
    mods.control = (state & ControlMask) != 0;
    mods.alt = (state & Mod1Mask) != 0;
    return mods;
}

void CopyOut(char* out, int outSize, const std::string& text) {
    if (out == nullptr || outSize <= 0) return;
    const size_t n = std::min(text.size(), static_cast<size_t>(outSize) - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

// The directory of a path, with its trailing slash; empty when it has none.
std::string DirectoryOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash + 1 >= path.size()) return {};
    return path.substr(0, slash + 1);
}

// Keeps a box inside the editor, so that a list near an edge is not cut off.
PixelRect KeepInside(PixelRect box, int width, int height) {
    const int w = std::min(box.Width(), width);
    const int h = std::min(box.Height(), height);
    box.left = std::clamp(box.left, 0, width - w);
    box.top = std::clamp(box.top, 0, height - h);
    box.right = box.left + w;
    box.bottom = box.top + h;
    return box;
}

// The face's one size as the window's WM_NORMAL_HINTS: hosts that embed it through
// a toolkit (suil's wrappers in Ardour and jalv) size their window from them and
// would otherwise keep a larger one after a smaller scale.
void SetFixedSizeHints(Display* display, Window window, int width, int height) {
    XSizeHints hints = {};
    hints.flags = PMinSize | PMaxSize | PBaseSize;
    hints.min_width = hints.max_width = hints.base_width = width;
    hints.min_height = hints.max_height = hints.base_height = height;
    XSetWMNormalHints(display, window, &hints);
}

// Value boxes use a 14-pixel Arial; text boxes take their control's style.
TextStyle ValueEntryStyle() {
    TextStyle style;
    std::snprintf(style.fontName, sizeof style.fontName, "%s", "Arial");
    style.size = kEntryFontSize;
    return style;
}

}  // namespace

struct X11EditorWindow::XState {
    Display* display = nullptr;
    Window window = 0;
    Window parent = 0;
    bool alive = false;  // false once the host destroyed our window with its own
    X11ImagePresenter presenter;
    Visual* visual = nullptr;
    int depth = 0;
    ClickTracker clicks;
    bool captured = false;
};

X11EditorWindow::X11EditorWindow(IEffectCore* owner, int width, int height, int frameRate)
    : EditorSurface(owner, width, height, frameRate),
      x_(new XState),
      pacer_(frameRate),
      entryStyle_(ValueEntryStyle()) {}

X11EditorWindow::~X11EditorWindow() {
    // The owner is being destroyed around us: close without calling into it, once
    // the window's own thread (which reads the owner) has stopped.
    StopFallback();
    owner = nullptr;
    CloseNative();
}

CoreLock* X11EditorWindow::CoreLockOf() const {
    return owner != nullptr ? &owner->Lock() : nullptr;
}

RasterFont* X11EditorWindow::EntryFont() {
    return FontFor(entryStyle_);
}

void* X11EditorWindow::NativeHandle() const {
    std::lock_guard<std::recursive_mutex> guard(windowMutex_);
    return x_->display != nullptr ? reinterpret_cast<void*>(x_->window) : nullptr;
}

bool X11EditorWindow::EntryBoxOpen() const {
    std::lock_guard<std::recursive_mutex> guard(windowMutex_);
    return entryBox_.IsOpen();
}

PixelRect X11EditorWindow::EntryBoxRect() const {
    std::lock_guard<std::recursive_mutex> guard(windowMutex_);
    return entryBox_.Rect();
}

bool X11EditorWindow::UsesSharedMemory() const {
    std::lock_guard<std::recursive_mutex> guard(windowMutex_);
    return x_->presenter.UsesSharedMemory();
}

void* X11EditorWindow::OpenInParent(void* parentHandle) {
    // Opening again re-creates the window where it was, at the size it had.
    PixelRect place{0, 0, Width(), Height()};
    bool reopen = false;
    {
        std::lock_guard<std::recursive_mutex> guard(windowMutex_);
        if (x_->display != nullptr && x_->alive) {
            Window root = 0;
            int x = 0, y = 0;
            unsigned w = 0, h = 0, border = 0, depth = 0;
            if (XGetGeometry(x_->display, x_->window, &root, &x, &y, &w, &h, &border, &depth)) {
                place = {x, y, x + static_cast<int>(w), y + static_cast<int>(h)};
            }
        }
        reopen = x_->display != nullptr;
    }
    if (reopen) CloseNative();

    const Window parent = static_cast<Window>(reinterpret_cast<uintptr_t>(parentHandle));
    if (parent == 0) return nullptr;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return nullptr;
    X11ErrorTrap::Register(display);
    XWindowAttributes parentAttributes;
    Window window = 0;
    if (XGetWindowAttributes(display, parent, &parentAttributes) != 0 &&
        X11ErrorTrap::TakeErrors(display) == 0) {
        XSetWindowAttributes attributes = {};
        attributes.event_mask = kEventMask;
        attributes.background_pixmap = None;
        attributes.border_pixel = 0;
        window = XCreateWindow(
            display, parent, place.left, place.top, static_cast<unsigned>(place.Width()),
            static_cast<unsigned>(place.Height()), 0, CopyFromParent, InputOutput, CopyFromParent,
            CWEventMask | CWBackPixmap | CWBorderPixel, &attributes);
        if (X11ErrorTrap::TakeErrors(display) != 0) window = 0;
    }
    if (window == 0) {
        X11ErrorTrap::Unregister(display);
        XCloseDisplay(display);
        return nullptr;
    }
    XStoreName(display, window, "IEditor");
    SetFixedSizeHints(display, window, Width(), Height());

    std::lock_guard<std::recursive_mutex> guard(windowMutex_);
    x_->display = display;
    x_->window = window;
    x_->parent = parent;
    x_->alive = true;
    x_->captured = false;
    x_->clicks.Reset();
    x_->visual = parentAttributes.visual;
    x_->depth = parentAttributes.depth;
    ShowCanvas();
    x_->presenter.Create(display, window, x_->visual, x_->depth, Width(), Height());
    XMapWindow(display, window);
    XFlush(display);
    int hostId = 0;
    {
        CoreLockGuard lock(CoreLockOf());
        if (owner != nullptr) hostId = owner->HostId();
    }
    if (hostId == kHostWithFocus) TakeFocus();

    // The first tick paints everything into the canvas; Expose events show it.
    MarkAllChanged();
    pacer_.Reset();
    lastHostIdle_ = NowMicros();
    Tick();
    {
        std::lock_guard<std::mutex> threadGuard(fallbackMutex_);
        fallbackStop_ = false;
    }
    if (!hostDriven_) {
        try {
            fallback_ = std::thread(&X11EditorWindow::FallbackLoop, this);
        } catch (const std::system_error&) {
            // No thread to spare: the editor still runs from the host's idle calls.
        }
    }
    return reinterpret_cast<void*>(window);
}

void X11EditorWindow::StopFallback() {
    if (!fallback_.joinable()) return;
    {
        std::lock_guard<std::mutex> guard(fallbackMutex_);
        fallbackStop_ = true;
    }
    fallbackWake_.notify_all();
    fallback_.join();
}

void X11EditorWindow::LetHostDrive() {
    hostDriven_ = true;
    StopFallback();
}

void X11EditorWindow::CloseNative() {
    StopFallback();
    std::lock_guard<std::recursive_mutex> guard(windowMutex_);
    if (x_->display == nullptr) return;
    {
        CoreLockGuard lock(CoreLockOf());
        if (gestureCountdown != 0 && owner != nullptr) owner->EndPendingEdit();
    }
    // An open box goes with the window, without applying anything.
    entryBox_.Close();
    entryControl_ = nullptr;
    entryParam_ = nullptr;
    entryState_ = EntryIdle;
    entryStaleArea_ = {};
    x_->presenter.Destroy();
    ReleaseCanvas();
    if (x_->alive) XDestroyWindow(x_->display, x_->window);
    X11ErrorTrap::TakeErrors(x_->display);
    X11ErrorTrap::Unregister(x_->display);
    XCloseDisplay(x_->display);
    x_->display = nullptr;
    x_->window = 0;
    x_->parent = 0;
    x_->alive = false;
    x_->captured = false;
}

bool X11EditorWindow::SetScalePercent(int percent) {
    std::lock_guard<std::recursive_mutex> guard(windowMutex_);
    return EditorSurface::SetScalePercent(percent);
}

void X11EditorWindow::SettleScale() {
    std::lock_guard<std::recursive_mutex> guard(windowMutex_);
    EditorSurface::SettleScale();
}

int X11EditorWindow::ScreenScalePercent() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return 100;
    const char* resources = XResourceManagerString(display);
    const int percent = ScaleForXResources(resources != nullptr ? resources : "");
    XCloseDisplay(display);
    return percent;
}

void X11EditorWindow::ApplyWindowSize() {
    std::lock_guard<std::recursive_mutex> guard(windowMutex_);
    if (x_->display == nullptr || !x_->alive) return;
    entryBox_.Close();
    entryControl_ = nullptr;
    entryParam_ = nullptr;
    entryState_ = EntryIdle;
    entryStaleArea_ = {};
    SetFixedSizeHints(x_->display, x_->window, Width(), Height());
    XResizeWindow(x_->display, x_->window, static_cast<unsigned>(Width()),
                  static_cast<unsigned>(Height()));
    x_->presenter.Destroy();
    x_->presenter.Create(x_->display, x_->window, x_->visual, x_->depth, Width(), Height());
    XFlush(x_->display);
}

void X11EditorWindow::Idle() {
    const int64_t now = NowMicros();
    lastHostIdle_ = now;
    std::lock_guard<std::recursive_mutex> guard(windowMutex_);
    if (x_->display == nullptr) return;
    HandlePendingEvents();
    if (pacer_.Due(now)) Tick();
}

// Runs the idle work only while the host sends no idle calls of its own.
void X11EditorWindow::FallbackLoop() {
    std::unique_lock<std::mutex> lock(fallbackMutex_);
    const auto period = std::chrono::microseconds(pacer_.PeriodMicros());
    while (!fallbackStop_) {
        fallbackWake_.wait_for(lock, period, [this] { return fallbackStop_; });
        if (fallbackStop_) break;
        const int64_t now = NowMicros();
        if (now - lastHostIdle_.load() < kHostIdleGraceMicros) continue;
        lock.unlock();
        {
            std::lock_guard<std::recursive_mutex> guard(windowMutex_);
            if (x_->display != nullptr) {
                HandlePendingEvents();
                if (pacer_.Due(now)) Tick();
            }
        }
        lock.lock();
    }
}

void X11EditorWindow::TakeFocus() {
    if (x_->alive) XSetInputFocus(x_->display, x_->window, RevertToParent, CurrentTime);
}

void X11EditorWindow::HandlePendingEvents() {
    Display* display = x_->display;
    PixelRect exposed;
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.xany.window != x_->window) continue;
        switch (event.type) {
            case Expose: {
                const XExposeEvent& e = event.xexpose;
                exposed = Union(exposed, {e.x, e.y, e.x + e.width, e.y + e.height});
                break;
            }
            case DestroyNotify:
                x_->alive = false;
                break;
            case FocusIn:
                if (entryBox_.IsOpen()) entryState_ = EntryEditing;
                break;
            case FocusOut: {
                // Losing the keyboard never undoes a commit or cancel already asked for.
                int32_t typing = EntryEditing;
                entryState_.compare_exchange_strong(typing, EntryIdle);
                break;
            }
            case ButtonPress: {
                const XButtonEvent& e = event.xbutton;
                if ((e.button == Button4 || e.button == Button5) && entryBox_.IsOpen() &&
                    entryBox_.Rect().Contains(e.x, e.y)) {
                    entryBox_.Scroll(e.button == Button4 ? 1 : -1);
                    entryImageStale_ = true;
                    break;
                }
                if (e.button == Button4 || e.button == Button5) {
                    WheelAt(e.x, e.y, ModsOf(e.state, 0, 0), e.button == Button4 ? 1 : -1);
                    break;
                }
                if (e.button != Button1 && e.button != Button3) break;
                const bool isDouble = x_->clicks.Press(static_cast<int>(e.button), e.x, e.y,
                                                       static_cast<uint32_t>(e.time));
                const MouseMods mods = ModsOf(e.state, e.button, 0);
                if (entryBox_.IsOpen()) {
                    // A right press anywhere cancels the box and does nothing else; a
                    // left press inside belongs to the box, elsewhere it commits.
                    if (e.button == Button3) {
                        entryState_ = EntryCancel;
                        break;
                    }
                    if (entryBox_.Rect().Contains(e.x, e.y)) {
                        entryState_ = entryBox_.Click(e.x, e.y, EntryFont());
                        entryImageStale_ = true;
                        x_->clicks.Reset();
                        break;
                    }
                    entryState_ = EntryCommit;
                }
                int hostId = 0;
                {
                    CoreLockGuard lock(CoreLockOf());
                    if (owner != nullptr) hostId = owner->HostId();
                }
                if (hostId == kHostWithFocus) TakeFocus();
                if (isDouble && e.button == Button1) {
                    x_->captured = DoubleClickAt(e.x, e.y, mods);
                } else {
                    x_->captured = true;
                    PressAt(e.x, e.y, mods);
                }
                break;
            }
            case MotionNotify: {
                const XMotionEvent& e = event.xmotion;
                if (x_->captured && (e.state & (Button1Mask | Button3Mask)) != 0) {
                    x_->clicks.Moved(e.x, e.y);
                    DragTo(e.x, e.y, ModsOf(e.state, 0, 0));
                }
                break;
            }
            case ButtonRelease: {
                const XButtonEvent& e = event.xbutton;
                if (e.button != Button1 && e.button != Button3) break;
                x_->captured = false;
                ReleaseAt(e.x, e.y, ModsOf(e.state, 0, e.button));
                break;
            }
            case KeyPress: {
                char text[16] = {};
                KeySym keysym = 0;
                XLookupString(&event.xkey, text, sizeof text - 1, &keysym, nullptr);
                pointerX_ = event.xkey.x;
                pointerY_ = event.xkey.y;
                KeyTyped(keysym, text, false);
                break;
            }
            default:
                break;
        }
    }
    if (!exposed.IsEmpty()) PresentRegion(exposed);
    if (entryImageStale_) PresentEntryBox();
}

int X11EditorWindow::ConnectionFd() const {
    std::lock_guard<std::recursive_mutex> guard(windowMutex_);
    return x_->display != nullptr ? ConnectionNumber(x_->display) : -1;
}

bool X11EditorWindow::HostKey(unsigned long keysym, const char* text) {
    std::lock_guard<std::recursive_mutex> guard(windowMutex_);
    if (x_->display == nullptr) return false;
    // Keys go to the control under the pointer, as X's own key events say.
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int mask = 0;
    if (x_->alive &&
        XQueryPointer(x_->display, x_->window, &root, &child, &rootX, &rootY, &x, &y, &mask)) {
        pointerX_ = x;
        pointerY_ = y;
    }
    const bool used = KeyTyped(keysym, text != nullptr ? text : "", true);
    if (entryImageStale_) PresentEntryBox();
    return used;
}

bool X11EditorWindow::KeyTyped(unsigned long keysym, const char* text, bool fromHost) {
    // Hosts that pass keys on may let X deliver the same press too (or the other
    // way round): one key within a moment from the other source is the same key.
    constexpr int64_t kSameKeyMicros = 100000;
    const int64_t now = NowMicros();
    if (keysym == lastKeysym_ && fromHost != lastKeyFromHost_ &&
        now - lastKeyMicros_ < kSameKeyMicros) {
        lastKeysym_ = 0;
        return true;
    }
    lastKeysym_ = keysym;
    lastKeyFromHost_ = fromHost;
    lastKeyMicros_ = now;
    if (entryBox_.IsOpen()) {
        EntryKey key = EntryKey::Text;
        const bool special = EntryKeyForKeysym(keysym, &key);
        if (!special && text[0] == '\0') return false;
        const EntryState state = entryBox_.Key(key, special ? nullptr : text);
        if (state != EntryIdle) entryState_ = state;
        entryImageStale_ = true;
        return true;
    }
    const int key = EditorKeyForKeysym(keysym);
    if (key < 0) return false;
    KeyAt(pointerX_, pointerY_, key);
    return true;
}

void X11EditorWindow::Tick() {
    if (entryBox_.IsOpen()) {
        int32_t state = entryState_.load();
        // A list where nothing is chosen has nothing to apply.
        if (state == EntryCommit && !entryBox_.HasChoice()) state = EntryCancel;
        if (state == EntryCommit) {
            const std::string text = entryBox_.Text();
            ApplyEnteredText(entryControl_, entryParam_, text.c_str());
        }
        if (state == EntryCommit || state == EntryCancel) {
            FinishEntryOf(entryControl_);
            CloseEntryBox();
        }
        entryState_ = EntryIdle;
    }
    RepaintChanged();
    if (!entryStaleArea_.IsEmpty()) {
        const PixelRect stale = entryStaleArea_;
        entryStaleArea_ = {};
        PresentRegion(stale);
    }
    CountDownGesture();
    ++tickCount_;
}

void X11EditorWindow::CloseEntryBox() {
    entryStaleArea_ = Union(entryStaleArea_, entryBox_.Rect());
    entryBox_.Close();
    entryControl_ = nullptr;
    entryParam_ = nullptr;
    // The keyboard goes back to the host's window.
    if (x_->display != nullptr && x_->alive) {
        XSetInputFocus(x_->display, x_->parent, RevertToParent, CurrentTime);
    }
}

void X11EditorWindow::PresentEntryBox() {
    entryImageStale_ = false;
    if (entryBox_.IsOpen()) PresentRegion(entryBox_.Rect());
}

bool X11EditorWindow::PresentRegion(const PixelRect& area) {
    X11ImagePresenter& presenter = x_->presenter;
    if (x_->display == nullptr || !x_->alive || canvas == nullptr || !canvas->IsDrawable() ||
        presenter.Width() == 0) {
        return true;
    }
    const PixelRect whole{0, 0, std::min(presenter.Width(), canvas->Width()),
                          std::min(presenter.Height(), canvas->Height())};
    const PixelRect clipped = Intersection(area, whole);
    if (clipped.IsEmpty()) return true;
    const Pixel* source = canvas->Pixels();
    const int pitch = canvas->RowPitch();
    for (int y = clipped.top; y < clipped.bottom; ++y) {
        const Pixel* from = source + static_cast<size_t>(y) * pitch;
        Pixel* to = presenter.Row(y);
        for (int x = clipped.left; x < clipped.right; ++x) to[x] = from[x] | 0xFF000000u;
    }
    // The box lies over the canvas and never in it, so closing it just shows the canvas.
    if (entryBox_.IsOpen()) {
        const PixelRect box = entryBox_.Rect();
        const PixelRect over = Intersection(clipped, box);
        if (!over.IsEmpty()) {
            entryBox_.Render(entryImage_, EntryFont());
            for (int y = over.top; y < over.bottom; ++y) {
                const Pixel* from = entryImage_.Pixels() +
                                    static_cast<size_t>(y - box.top) * entryImage_.RowPitch();
                Pixel* to = presenter.Row(y);
                for (int x = over.left; x < over.right; ++x) {
                    to[x] = from[x - box.left] | 0xFF000000u;
                }
            }
        }
    }
    return presenter.Put(clipped.left, clipped.top, clipped.Width(), clipped.Height());
}

bool X11EditorWindow::OpenValueEntry(IControl* control, PluginParam* param) {
    if (control == nullptr || param == nullptr || entryBox_.IsOpen()) return false;
    // Called outside the core lock: the value and the control's place are read under it.
    CoreLockGuard guard(OwnerLock());
    entryStyle_ = ValueEntryStyle();
    const int cx = ToDevice(
        static_cast<int>(static_cast<float>(control->rect.left + control->rect.right) / 2.0f));
    const int cy = ToDevice(
        static_cast<int>(static_cast<float>(control->rect.top + control->rect.bottom) / 2.0f));
    char current[PluginParam::kTextSize * 2] = {};
    param->FormatValue(param->value, false, current, sizeof current);
    const int labels = param->ValueLabelCount();
    if (labels > 0 && (param->kind == KindChoice || param->kind == KindToggle)) {
        std::vector<std::string> items;
        int selected = -1;
        int w = 24;
        for (int i = 0; i < labels; ++i) {
            const char* label = param->ValueLabelFor(i);
            items.emplace_back(label != nullptr ? label : "");
            w = std::max(w, 8 * static_cast<int>(items.back().size()) + 24);
            if (selected < 0 && items.back() == current) selected = i;
        }
        RasterFont* font = EntryFont();
        const int row = (font != nullptr ? font->LineHeight() : kEntryFontSize) + 4;
        const PixelRect box{cx - w / 2, cy, cx - w / 2 + w, cy + row * labels + 2};
        entryBox_.OpenList(KeepInside(box, Width(), Height()), items, selected, row);
    } else {
        char longest[PluginParam::kTextSize * 2] = {};
        param->FormatValue(1.0, true, longest, sizeof longest);
        const int w = std::max(32, 7 * static_cast<int>(std::strlen(longest)) + 6);
        const PixelRect box{cx - w / 2, cy - 8, cx - w / 2 + w, cy + 8};
        entryBox_.OpenEdit(KeepInside(box, Width(), Height()), current, 1, false, false);
    }
    entryControl_ = control;
    entryParam_ = param;
    entryState_ = EntryEditing;
    entryImageStale_ = true;
    TakeFocus();
    return true;
}

void X11EditorWindow::OpenTextEntry(IEditableTextControl* control) {
    if (control == nullptr || entryBox_.IsOpen()) return;
    entryStyle_ = control->textStyle;
    entryStyle_.cachedFont = nullptr;
    const int align = control->textStyle.align == 0 ? 0 : control->textStyle.align == 2 ? 2 : 1;
    entryBox_.OpenEdit(KeepInside(ToDevice(control->rect), Width(), Height()), control->Text(),
                       align, control->password, !control->editable);
    entryControl_ = control;
    entryParam_ = nullptr;
    entryState_ = EntryEditing;
    entryImageStale_ = true;
    TakeFocus();
}

bool X11EditorWindow::OpenWebPage(const char* url, const char* caption, const char* confirmText,
                                  const char* errorText) {
    (void)caption;
    (void)errorText;  // no message box here; the caller learns of failure from the result
    // Nobody can be asked to confirm, which counts as a no.
    if (confirmText != nullptr) return false;
    // A text starting with '-' would reach xdg-open as an option.
    if (url == nullptr || url[0] == '\0' || url[0] == '-') return false;
    return LaunchDetached("xdg-open", url);
}

void X11EditorWindow::HostDirectory(char* out, int outSize) {
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    CopyOut(out, outSize, n > 0 ? DirectoryOf(std::string(path, static_cast<size_t>(n))) : "");
}

void X11EditorWindow::ModuleDirectory(char* out, int outSize) {
    Dl_info info = {};
    const bool found =
        dladdr(reinterpret_cast<void*>(&DirectoryOf), &info) != 0 && info.dli_fname != nullptr;
    CopyOut(out, outSize, found ? DirectoryOf(info.dli_fname) : "");
}

// No file or colour dialogs on this platform: both answer "nothing chosen".
void X11EditorWindow::AskForFile(char* inOutPath, int pathSize, int, const char*, const char*) {
    CopyOut(inOutPath, pathSize, "");
}

bool X11EditorWindow::AskForColour(ArgbColor*, const char*) {
    return false;
}

RasterBitmap* X11EditorWindow::LoadBitmapResource(int resourceNumber, const char*) {
    return LoadPngResource(ModuleInstance(), resourceNumber).release();
}

}  // namespace tav
