#include "editor/win32_editor_window.h"

#include <windows.h>
// These need <windows.h> first.
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "core/effect_core.h"
#include "core/plugin_param.h"
#include "editor/text_controls.h"
#include "raster/png_resource.h"

namespace tav {

struct Win32EditorProcs {
    static LRESULT CALLBACK Window(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK Entry(HWND box, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT Message(Win32EditorWindow* self, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
};

namespace {

constexpr char kClassName[] = "IEditorWndClass";
constexpr char kWindowTitle[] = "IEditor";
constexpr int kFocusHost = 25;  // the one host that needs the editor to take the focus
constexpr int kEntryTextSize = 1000;
constexpr int kPathSize = 256;
constexpr WORD kSelectionChanged = 1;

// The class is registered while any editor window of this module is open.
std::mutex classMutex;
int openWindows = 0;

HWND AsWindow(void* handle) {
    return static_cast<HWND>(handle);
}

// The module our code lives in: the class, child windows and resources belong to it
// even when the creator has not said which module that is.
HINSTANCE ModuleOfThisCode() {
    HMODULE module = nullptr;
    GetModuleHandleExA(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCSTR>(&ModuleOfThisCode), &module);
    return module;
}

HINSTANCE InstanceOf(ModuleHandle module) {
    return module != nullptr ? static_cast<HINSTANCE>(module) : ModuleOfThisCode();
}

bool CountWindow(HINSTANCE instance) {
    std::lock_guard<std::mutex> lock(classMutex);
    if (openWindows == 0) {
        WNDCLASSEXA wc = {};
        wc.cbSize = sizeof wc;
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = Win32EditorProcs::Window;
        wc.hInstance = instance;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.lpszClassName = kClassName;
        // A class left behind by a window the host destroyed is still ours.
        if (RegisterClassExA(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            return false;
    }
    ++openWindows;
    return true;
}

void UncountWindow() {
    std::lock_guard<std::mutex> lock(classMutex);
    if (openWindows > 0) --openWindows;
}

// Fails harmlessly while a window of the class still exists (it is then retried at
// the next close or at deletion).
void UnregisterClassIfUnused(HINSTANCE instance) {
    std::lock_guard<std::mutex> lock(classMutex);
    if (openWindows == 0) UnregisterClassA(kClassName, instance);
}

MouseMods ModsFromMessage(WPARAM wp) {
    MouseMods mods;
    mods.left = (wp & MK_LBUTTON) != 0;
    mods.right = (wp & MK_RBUTTON) != 0;
    mods.shift = (wp & MK_SHIFT) != 0;
    mods.control = (wp & MK_CONTROL) != 0;
    mods.alt = GetKeyState(VK_MENU) < 0;
    return mods;
}

int SignedX(LPARAM lp) {
    return static_cast<int16_t>(LOWORD(lp));
}
int SignedY(LPARAM lp) {
    return static_cast<int16_t>(HIWORD(lp));
}

// Editor key code of a virtual key, or -1 for keys the editor ignores.
int EditorKeyOf(WPARAM vk) {
    switch (vk) {
        case VK_SPACE:
            return KeySpace;
        case VK_UP:
            return KeyUp;
        case VK_DOWN:
            return KeyDown;
        case VK_LEFT:
            return KeyLeft;
        case VK_RIGHT:
            return KeyRight;
        default:
            break;
    }
    if (vk >= '0' && vk <= '9') return KeyDigit0 + static_cast<int>(vk - '0');
    if (vk >= 'A' && vk <= 'Z') return KeyLetterA + static_cast<int>(vk - 'A');
    return -1;
}

void CopyBounded(char* out, size_t outSize, const char* text) {
    if (out == nullptr || outSize == 0) return;
    const size_t n = text != nullptr ? strnlen(text, outSize - 1) : 0;
    if (n > 0) std::memcpy(out, text, n);
    out[n] = '\0';
}

// The directory of a module's file, ending with its backslash; empty when the path
// cannot be read whole or names no directory.
void DirectoryOf(HMODULE module, char* out, int outSize) {
    if (out == nullptr || outSize <= 0) return;
    out[0] = '\0';
    char path[kPathSize];
    const DWORD n = GetModuleFileNameA(module, path, kPathSize);
    if (n == 0 || n >= kPathSize) return;
    path[n] = '\0';
    const char* slash = std::strrchr(path, '\\');
    if (slash == nullptr) return;
    const int length = static_cast<int>(slash - path) + 1;
    if (length >= outSize) return;
    std::memcpy(out, path, static_cast<size_t>(length));
    out[length] = '\0';
}

// "wav aif" -> "*.wav;*.aif"; the first item is the default extension.
std::string FilterPattern(const char* extensions, std::string* firstExtension) {
    std::string pattern;
    const char* p = extensions != nullptr ? extensions : "";
    while (*p != '\0') {
        while (*p == ' ') ++p;
        const char* end = p;
        while (*end != '\0' && *end != ' ') ++end;
        if (end > p) {
            if (pattern.empty()) firstExtension->assign(p, end);
            if (!pattern.empty()) pattern += ';';
            pattern += "*.";
            pattern.append(p, end);
        }
        p = end;
    }
    return pattern;
}

UINT_PTR CALLBACK ColourDialogHook(HWND dialog, UINT msg, WPARAM, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        const auto* choice = reinterpret_cast<const CHOOSECOLORA*>(lp);
        if (choice != nullptr && choice->lCustData != 0) {
            SetWindowTextA(dialog, reinterpret_cast<const char*>(choice->lCustData));
        }
    }
    return 0;
}

}  // namespace

int OpenEditorWindowCount() {
    std::lock_guard<std::mutex> lock(classMutex);
    return openWindows;
}

Win32EditorWindow::Win32EditorWindow(IEffectCore* owner, int width, int height, int frameRate)
    : EditorSurface(owner, width, height, frameRate) {}

Win32EditorWindow::~Win32EditorWindow() {
    // The core is being torn down around us: no notices to it from here on.
    owner = nullptr;
    CloseNative();
}

// --- Window ---------------------------------------------------------------

void* Win32EditorWindow::OpenInParent(void* parent) {
    if (parent == nullptr || !IsWindow(AsWindow(parent))) return nullptr;
    int x = 0;
    int y = 0;
    int w = Width();
    int h = Height();
    if (window != nullptr) {
        // Opened again without a close: re-create in place, same size.
        HWND old = AsWindow(window);
        RECT r;
        GetWindowRect(old, &r);
        MapWindowPoints(HWND_DESKTOP, GetParent(old), reinterpret_cast<POINT*>(&r), 2);
        x = r.left;
        y = r.top;
        w = r.right - r.left;
        h = r.bottom - r.top;
        CloseNative();
    }

    HINSTANCE instance = InstanceOf(moduleInstance);
    if (!CountWindow(instance)) return nullptr;
    windowCounted = true;
    HWND hwnd =
        CreateWindowExA(0, kClassName, kWindowTitle, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, x, y,
                        w, h, AsWindow(parent), nullptr, instance, this);
    if (hwnd == nullptr) {
        if (windowCounted) {
            UncountWindow();
            windowCounted = false;
        }
        window = nullptr;
        UnregisterClassIfUnused(instance);
        return nullptr;
    }
    window = hwnd;
    ShowCanvas();
    MarkAllChanged();
    return window;
}

void Win32EditorWindow::CloseNative() {
    HINSTANCE instance = InstanceOf(moduleInstance);
    if (window == nullptr) {
        UnregisterClassIfUnused(instance);
        return;
    }
    HWND hwnd = AsWindow(window);
    EndGestureIfPending();
    CloseEntryBox(false);
    if (!DestroyWindow(hwnd)) {
        // Not the window's thread: cut the window loose and let its own thread close it.
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
        WindowGone(hwnd);
    }
    window = nullptr;
    UnregisterClassIfUnused(instance);
}

// Everything that must not outlive the native window; runs however it was destroyed.
void Win32EditorWindow::WindowGone(void* hwnd) {
    SetWindowLongPtrA(AsWindow(hwnd), GWLP_USERDATA, 0);
    if (window == hwnd) window = nullptr;
    pressRouted = false;
    inPaintMessage = false;
    if (windowCounted) {
        UncountWindow();
        windowCounted = false;
    }
    ReleaseCanvas();
}

void Win32EditorWindow::ApplyWindowSize() {
    if (window == nullptr) return;
    CloseEntryBox(false);
    SetWindowPos(AsWindow(window), nullptr, 0, 0, Width(), Height(),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(AsWindow(window), nullptr, FALSE);
}

void Win32EditorWindow::EndGestureIfPending() {
    if (owner == nullptr) {
        gestureCountdown = 0;
        return;
    }
    CoreLockGuard guard(OwnerLock());
    if (gestureCountdown != 0) owner->EndPendingEdit();
}

bool Win32EditorWindow::TakesFocusForHost() {
    if (owner == nullptr) return false;
    CoreLockGuard guard(OwnerLock());
    return owner->HostId() == kFocusHost;
}

MouseMods Win32EditorWindow::ModsFromKeyState(bool left, bool right) const {
    MouseMods mods;
    mods.left = left;
    mods.right = right;
    mods.shift = GetKeyState(VK_SHIFT) < 0;
    mods.control = GetKeyState(VK_CONTROL) < 0;
    mods.alt = GetKeyState(VK_MENU) < 0;
    return mods;
}

bool Win32EditorWindow::PresentRegion(const PixelRect& area) {
    if (window == nullptr || !canvas || canvas->DeviceContext() == nullptr) return false;
    const int left = std::max(0, area.left);
    const int top = std::max(0, area.top);
    const int right = std::min({area.right, Width(), canvas->Width()});
    const int bottom = std::min({area.bottom, Height(), canvas->Height()});
    HWND hwnd = AsWindow(window);
    PAINTSTRUCT ps;
    // Inside WM_PAINT the update region clips the copy; elsewhere (a direct paint)
    // the window's own DC is used.
    HDC dc = inPaintMessage ? BeginPaint(hwnd, &ps) : GetDC(hwnd);
    if (dc == nullptr) return false;
    if (right > left && bottom > top) {
        BitBlt(dc, left, top, right - left, bottom - top, static_cast<HDC>(canvas->DeviceContext()),
               left, top, SRCCOPY);
    }
    if (inPaintMessage) {
        EndPaint(hwnd, &ps);
        inPaintMessage = false;  // painted: the caller need not validate
    } else {
        ReleaseDC(hwnd, dc);
    }
    return true;
}

void Win32EditorWindow::Tick() {
    if (entryBox != nullptr) {
        HWND box = AsWindow(entryBox);
        if (entryState == EntryCommit) {
            char text[kEntryTextSize] = {};
            GetWindowTextA(box, text, kEntryTextSize);
            ApplyEnteredText(entryControl, entryParam, text);
        }
        // The host may have closed the box (or the editor) while it was told.
        if (entryBox == box) {
            if (entryState == EntryCommit || entryState == EntryCancel) CloseEntryBox(true);
            entryState = EntryIdle;
        }
    }

    PixelRect area;
    if (CollectChangedArea(&area) && window != nullptr) {
        HWND hwnd = AsWindow(window);
        RECT r = {area.left, area.top, area.right, area.bottom};
        InvalidateRect(hwnd, &r, FALSE);
        if (entryBox != nullptr) {
            RECT boxRect;
            GetWindowRect(AsWindow(entryBox), &boxRect);
            MapWindowPoints(HWND_DESKTOP, hwnd, reinterpret_cast<POINT*>(&boxRect), 2);
            ValidateRect(hwnd, &boxRect);
        }
        UpdateWindow(hwnd);
    }

    CountDownGesture();
}

LRESULT CALLBACK Win32EditorProcs::Window(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lp);
        auto* self = static_cast<Win32EditorWindow*>(create->lpCreateParams);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        if (self != nullptr) self->window = hwnd;
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
    auto* self = reinterpret_cast<Win32EditorWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self == nullptr || self->window != hwnd) return DefWindowProcA(hwnd, msg, wp, lp);
    return Message(self, hwnd, msg, wp, lp);
}

LRESULT Win32EditorProcs::Message(Win32EditorWindow* self, HWND hwnd, UINT msg, WPARAM wp,
                                  LPARAM lp) {
    switch (msg) {
        case WM_CREATE:
            SetTimer(hwnd, Win32EditorWindow::kTimerId,
                     static_cast<UINT>(std::max(1, 1000 / self->FrameRate())), nullptr);
            if (self->TakesFocusForHost()) SetFocus(hwnd);
            return 0;

        case WM_TIMER:
            if (wp != Win32EditorWindow::kTimerId) break;
            self->Tick();
            return 0;

        case WM_ERASEBKGND:
            return 1;  // every pixel comes from the canvas

        case WM_PAINT: {
            RECT r;
            if (GetUpdateRect(hwnd, &r, FALSE) && !IsRectEmpty(&r)) {
                self->inPaintMessage = true;
                self->PaintDeviceRegion(PixelRect{r.left, r.top, r.right, r.bottom});
            }
            if (self->inPaintMessage || GetUpdateRect(hwnd, nullptr, FALSE)) {
                // Nothing was presented: validate, or WM_PAINT would come back at once.
                self->inPaintMessage = false;
                PAINTSTRUCT ps;
                BeginPaint(hwnd, &ps);
                EndPaint(hwnd, &ps);
            }
            return 0;
        }

        case WM_CLOSE:
            self->CloseNative();
            return 0;

        case WM_MOUSEACTIVATE:
            if (self->TakesFocusForHost()) SetFocus(hwnd);
            return MA_ACTIVATE;

        case WM_KEYDOWN: {
            const int key = EditorKeyOf(wp);
            if (key < 0) break;
            POINT pt;
            GetCursorPos(&pt);
            ScreenToClient(hwnd, &pt);
            self->KeyAt(pt.x, pt.y, key);
            return 0;
        }

        case WM_MOUSEMOVE:
            if ((wp & (MK_LBUTTON | MK_RBUTTON)) != 0 && GetCapture() == hwnd) {
                self->DragTo(SignedX(lp), SignedY(lp), ModsFromMessage(wp));
            }
            return 0;

        case WM_LBUTTONUP:
        case WM_RBUTTONUP: {
            if (GetCapture() == hwnd) ReleaseCapture();
            // Only a press the surface saw gets a release: a right click that
            // cancelled an entry box must not end a gesture that never began.
            if (!self->pressRouted) return 0;
            self->pressRouted = false;
            self->ReleaseAt(SignedX(lp), SignedY(lp), ModsFromMessage(wp));
            return 0;
        }

        case WM_LBUTTONDBLCLK:
            if (self->DoubleClickAt(SignedX(lp), SignedY(lp), ModsFromMessage(wp)))
                SetCapture(hwnd);
            self->pressRouted = true;
            return 0;

        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
        case WM_LBUTTONDOWN:
            if (self->entryBox != nullptr) {
                if (msg != WM_LBUTTONDOWN) {
                    self->entryState = EntryCancel;
                    return 0;
                }
                self->entryState = EntryCommit;
            }
            // The other button during a press would begin a second gesture that the
            // first release cannot end.
            if (self->pressRouted) return 0;
            SetCapture(hwnd);
            self->pressRouted = true;
            self->PressAt(SignedX(lp), SignedY(lp), ModsFromMessage(wp));
            return 0;

        case WM_MOUSEWHEEL: {
            // The one 120-unit notch is the step; a part of a notch turns nothing.
            const int notches = static_cast<int16_t>(HIWORD(wp)) / WHEEL_DELTA;
            if (notches == 0) return 0;
            RECT wr;
            GetWindowRect(hwnd, &wr);
            self->WheelAt(SignedX(lp) - wr.left, SignedY(lp) - wr.top, ModsFromMessage(LOWORD(wp)),
                          notches);
            return 0;
        }

        case WM_DESTROY:
            // Also reached when the host destroys its own window first.
            KillTimer(hwnd, Win32EditorWindow::kTimerId);
            self->CloseEntryBox(false);
            self->EndGestureIfPending();
            return 0;

        case WM_NCDESTROY:
            self->WindowGone(hwnd);
            return DefWindowProcA(hwnd, msg, wp, lp);

        default:
            break;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

// --- Entry boxes ----------------------------------------------------------

void* Win32EditorWindow::CreateEntryBox(const char* className, uint32_t style, int x, int y, int w,
                                        int h) {
    return CreateWindowExA(0, className, "", WS_CHILD | WS_VISIBLE | style, x, y, w, h,
                           AsWindow(window), reinterpret_cast<HMENU>(kEntryBoxId),
                           InstanceOf(moduleInstance), nullptr);
}

void Win32EditorWindow::AdoptEntryBox(void* box, IControl* control, PluginParam* param,
                                      void* font) {
    HWND hwnd = AsWindow(box);
    entryBox = box;
    entryControl = control;
    entryParam = param;
    entryState = EntryIdle;
    entryFont = font;
    if (font != nullptr) SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    // The box keeps its own procedure in its user data too, so the entry procedure can
    // always hand messages on, whatever state this object is in.
    const LONG_PTR oldProc = GetWindowLongPtrA(hwnd, GWLP_WNDPROC);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, oldProc);
    entryOldProc = reinterpret_cast<void*>(oldProc);
    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Win32EditorProcs::Entry));
    SetFocus(hwnd);
}

void Win32EditorWindow::CloseEntryBox(bool finish) {
    if (entryBox == nullptr) return;
    HWND box = AsWindow(entryBox);
    IControl* control = entryControl;
    entryBox = nullptr;
    entryControl = nullptr;
    entryParam = nullptr;
    entryState = EntryIdle;
    if (IsWindow(box)) {
        if (GetWindowLongPtrA(box, GWLP_WNDPROC) ==
            reinterpret_cast<LONG_PTR>(Win32EditorProcs::Entry)) {
            SetWindowLongPtrA(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(entryOldProc));
        }
        DestroyWindow(box);
    }
    entryOldProc = nullptr;
    if (entryFont != nullptr) {
        DeleteObject(static_cast<HFONT>(entryFont));
        entryFont = nullptr;
    }
    if (finish) FinishEntryOf(control);
}

bool Win32EditorWindow::OpenValueEntry(IControl* control, PluginParam* param) {
    if (control == nullptr || param == nullptr || entryBox != nullptr || window == nullptr)
        return false;
    char display[PluginParam::kTextSize * 2] = {};
    char maximum[PluginParam::kTextSize * 2] = {};
    std::vector<std::string> labels;
    bool asList = false;
    int cx;
    int cy;
    {
        CoreLockGuard guard(OwnerLock());
        param->FormatValue(param->value, false, display, sizeof display);
        param->FormatValue(1.0, true, maximum, sizeof maximum);
        const int n = param->ValueLabelCount();
        asList = n > 0 && (param->kind == KindChoice || param->kind == KindToggle);
        for (int i = 0; asList && i < n; ++i) {
            const char* label = param->ValueLabelFor(i);
            if (label != nullptr) labels.emplace_back(label);
        }
        cx = ToDevice(
            static_cast<int>(static_cast<float>(control->rect.left + control->rect.right) * 0.5f));
        cy = ToDevice(
            static_cast<int>(static_cast<float>(control->rect.top + control->rect.bottom) * 0.5f));
    }

    void* box;
    if (asList) {
        int w = 24;
        for (const std::string& label : labels) {
            w = std::max(w, 8 * static_cast<int>(label.size()) + 24);
        }
        box = CreateEntryBox("COMBOBOX", CBS_DROPDOWNLIST, cx - w / 2, cy, w,
                             36 * (static_cast<int>(labels.size()) + 1));
        if (box == nullptr) return false;
        for (size_t i = 0; i < labels.size(); ++i) {
            SendMessageA(AsWindow(box), CB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>(labels[i].c_str()));
            if (labels[i] == display) SendMessageA(AsWindow(box), CB_SETCURSEL, i, 0);
        }
    } else {
        const int w = std::max(32, 7 * static_cast<int>(std::strlen(maximum)) + 6);
        box = CreateEntryBox("EDIT", ES_CENTER | ES_MULTILINE, cx - w / 2, cy - 8, w, 16);
        if (box == nullptr) return false;
        SetWindowTextA(AsWindow(box), display);
        SendMessageA(AsWindow(box), EM_SETSEL, 0, -1);
    }
    HFONT font = CreateFontA(14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH, "Arial");
    AdoptEntryBox(box, control, param, font);
    return true;
}

void Win32EditorWindow::OpenTextEntry(IEditableTextControl* control) {
    if (control == nullptr || entryBox != nullptr || window == nullptr) return;
    std::string text;
    TextStyle style;
    PixelRect r;
    DWORD boxStyle = 0;
    {
        CoreLockGuard guard(OwnerLock());
        text = control->Text();
        style = control->textStyle;
        r = ToDevice(control->rect);
        boxStyle = style.align == 0 ? ES_LEFT : style.align == 2 ? ES_RIGHT : ES_CENTER;
        if (!control->editable) boxStyle |= ES_READONLY;
        boxStyle |= control->password ? ES_PASSWORD : ES_MULTILINE;
    }
    void* box = CreateEntryBox("EDIT", boxStyle, r.left, r.top, r.right - r.left, r.bottom - r.top);
    if (box == nullptr) return;
    SetWindowTextA(AsWindow(box), text.c_str());
    SendMessageA(AsWindow(box), EM_SETSEL, 0, -1);
    char face[sizeof style.fontName + 1] = {};
    std::memcpy(face, style.fontName, sizeof style.fontName);
    HFONT font =
        CreateFontA(style.size, 0, 0, 0, (style.style & 1) != 0 ? FW_BOLD : FW_NORMAL,
                    (style.style & 2) != 0, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face);
    AdoptEntryBox(box, control, nullptr, font);
}

LRESULT CALLBACK Win32EditorProcs::Entry(HWND box, UINT msg, WPARAM wp, LPARAM lp) {
    const auto oldProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(box, GWLP_USERDATA));
    auto handOn = [&] {
        return oldProc != nullptr ? CallWindowProcA(oldProc, box, msg, wp, lp)
                                  : DefWindowProcA(box, msg, wp, lp);
    };
    HWND parent = GetParent(box);
    auto* self =
        parent != nullptr
            ? reinterpret_cast<Win32EditorWindow*>(GetWindowLongPtrA(parent, GWLP_USERDATA))
            : nullptr;
    if (self == nullptr || self->window != parent || self->entryBox != box) return handOn();

    switch (msg) {
        case WM_SETFOCUS:
            self->entryState = EntryEditing;
            break;
        case WM_KILLFOCUS:
            self->entryState = EntryIdle;
            break;
        case WM_KEYDOWN:
            // A multi-line box outside a dialog has no Escape of its own.
            if (wp == VK_ESCAPE) {
                self->entryState = EntryCancel;
                return 0;
            }
            if (wp == VK_RETURN) {
                char className[16] = {};
                GetClassNameA(box, className, sizeof className);
                if (lstrcmpiA(className, "Edit") == 0) SendMessageA(box, EM_SETSEL, -1, 0);
                self->entryState = EntryCommit;
                return 0;
            }
            self->entryState = EntryEditing;
            break;
        case WM_CHAR:
            // The Enter that commits must not become a line break in the box, nor
            // the Escape that cancels a character.
            if (wp == '\r' || wp == '\n' || wp == 0x1B) return 0;
            break;
        case WM_GETDLGCODE:
            if (self->entryParam == nullptr) {
                LRESULT code = handOn();
                const auto* queried = reinterpret_cast<const MSG*>(lp);
                if (queried != nullptr && queried->message == WM_KEYDOWN &&
                    queried->wParam == VK_RETURN) {
                    code |= DLGC_WANTALLKEYS;
                }
                return code;
            }
            break;
        case WM_COMMAND:
            // The list's selection changed: take the choice at the next tick. The box
            // still sees the notice so its list rolls up.
            if (HIWORD(wp) == kSelectionChanged) self->entryState = EntryCommit;
            break;
        default:
            break;
    }
    return handOn();
}

// --- Services ---------------------------------------------------------------

bool Win32EditorWindow::OpenWebPage(const char* url, const char* caption, const char* confirmText,
                                    const char* errorText) {
    if (url == nullptr || url[0] == '\0') return false;
    HWND hwnd = AsWindow(window);
    if (confirmText != nullptr && MessageBoxA(hwnd, confirmText, caption, MB_YESNO) != IDYES) {
        return false;
    }
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(hwnd, "open", url, nullptr, nullptr, SW_SHOWNORMAL));
    if (result > 32) return true;
    if (errorText != nullptr) MessageBoxA(hwnd, errorText, caption, MB_OK);
    return false;
}

intptr_t Win32EditorWindow::HandleCursorWheel(float notches) {
    if (window == nullptr || !std::isfinite(notches)) return 0;
    POINT pt;
    if (!GetCursorPos(&pt) || WindowFromPoint(pt) != AsWindow(window)) return 0;
    RECT wr;
    GetWindowRect(AsWindow(window), &wr);
    const int whole = static_cast<int>(std::clamp(notches, -1.0e6f, 1.0e6f));
    if (whole != 0) WheelAt(pt.x - wr.left, pt.y - wr.top, ModsFromKeyState(false, false), whole);
    return 1;
}

RasterBitmap* Win32EditorWindow::LoadBitmapResource(int resourceNumber, const char*) {
    return LoadPngResource(InstanceOf(moduleInstance), resourceNumber).release();
}

void Win32EditorWindow::HostDirectory(char* out, int outSize) {
    DirectoryOf(nullptr, out, outSize);
}

void Win32EditorWindow::ModuleDirectory(char* out, int outSize) {
    DirectoryOf(InstanceOf(moduleInstance), out, outSize);
}

void Win32EditorWindow::AskForFile(char* inOutPath, int pathSize, int action,
                                   const char* initialDirectory, const char* extensions) {
    if (inOutPath == nullptr || pathSize <= 0) return;
    if (window == nullptr) {
        inOutPath[0] = '\0';
        return;
    }
    char file[kPathSize];
    CopyBounded(file, sizeof file, inOutPath);
    char directory[kPathSize];
    if (initialDirectory != nullptr && initialDirectory[0] != '\0') {
        CopyBounded(directory, sizeof directory, initialDirectory);
    } else {
        HostDirectory(directory, sizeof directory);
    }
    std::string defaultExtension;
    const std::string pattern = FilterPattern(extensions, &defaultExtension);
    // Description and pattern are the same text; the list ends with two NULs.
    std::string filter = pattern + '\0' + pattern + '\0' + '\0';

    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = AsWindow(window);
    dialog.lpstrFilter = pattern.empty() ? nullptr : filter.c_str();
    dialog.lpstrFile = file;
    dialog.nMaxFile = sizeof file;
    dialog.lpstrInitialDir = directory[0] != '\0' ? directory : nullptr;
    dialog.lpstrDefExt = defaultExtension.empty() ? nullptr : defaultExtension.c_str();
    // The current directory is the host's: the dialog must leave it alone.
    char currentDirectory[MAX_PATH];
    const DWORD currentLength = GetCurrentDirectoryA(MAX_PATH, currentDirectory);
    BOOL chosen;
    if (action == 1) {
        dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
        chosen = GetSaveFileNameA(&dialog);
    } else {
        dialog.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR;
        chosen = GetOpenFileNameA(&dialog);
    }
    if (currentLength > 0 && currentLength < MAX_PATH) SetCurrentDirectoryA(currentDirectory);
    CopyBounded(inOutPath, static_cast<size_t>(pathSize), chosen ? file : "");
}

bool Win32EditorWindow::AskForColour(ArgbColor* inOutColor, const char* prompt) {
    if (window == nullptr || inOutColor == nullptr) return false;
    if (!customColours) customColours = std::make_unique<uint32_t[]>(16);
    static_assert(sizeof(COLORREF) == sizeof(uint32_t));
    CHOOSECOLORA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = AsWindow(window);
    dialog.rgbResult = RGB(std::clamp(inOutColor->r, 0, 255), std::clamp(inOutColor->g, 0, 255),
                           std::clamp(inOutColor->b, 0, 255));
    dialog.lpCustColors = reinterpret_cast<COLORREF*>(customColours.get());
    dialog.Flags = CC_FULLOPEN | CC_RGBINIT | CC_ANYCOLOR | CC_SOLIDCOLOR | CC_ENABLEHOOK;
    dialog.lpfnHook = ColourDialogHook;
    dialog.lCustData = reinterpret_cast<LPARAM>(prompt);
    if (!ChooseColorA(&dialog)) return false;
    inOutColor->r = GetRValue(dialog.rgbResult);
    inOutColor->g = GetGValue(dialog.rgbResult);
    inOutColor->b = GetBValue(dialog.rgbResult);
    return true;
}

}  // namespace tav
