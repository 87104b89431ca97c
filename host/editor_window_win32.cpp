#include <windows.h>

#include <cstring>

#include "host/editor_window.h"

namespace tav {

namespace {

const wchar_t kClassName[] = L"TavhostEditorHost";

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterHostClass() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &HostWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kClassName;
    return RegisterClassW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND Hwnd(void* handle) {
    return static_cast<HWND>(handle);
}

LPARAM Point(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(static_cast<short>(x)),
                      static_cast<WORD>(static_cast<short>(y)));
}

}  // namespace

std::unique_ptr<EditorHostWindow> EditorHostWindow::Create(std::string* error) {
    if (!RegisterHostClass()) {
        *error = "cannot register the host window class";
        return nullptr;
    }
    // No caption: without a window manager Wine waits on destroying captioned windows.
    HWND window = CreateWindowExW(0, kClassName, L"tavhost", WS_POPUP | WS_VISIBLE, 0, 0, 64, 64,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (window == nullptr) {
        *error = "cannot create a window (error " + std::to_string(GetLastError()) +
                 "); is there a display?";
        return nullptr;
    }
    std::unique_ptr<EditorHostWindow> host(new EditorHostWindow());
    host->window_ = window;
    return host;
}

EditorHostWindow::~EditorHostWindow() {
    CloseEditor();
    if (window_ != nullptr) DestroyWindow(Hwnd(window_));
}

void EditorHostWindow::ShowForEditor() {
    SetWindowPos(Hwnd(window_), HWND_TOP, 0, 0, width_, height_, SWP_SHOWWINDOW);
}

bool EditorHostWindow::HoldsEditor(std::string* error) const {
    if (GetWindow(Hwnd(window_), GW_CHILD) != nullptr) return true;
    *error = "the plug-in opened no window";
    return false;
}

void EditorHostWindow::ResizeTo(int width, int height) {
    width_ = width;
    height_ = height;
    SetWindowPos(Hwnd(window_), nullptr, 0, 0, width, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void* EditorHostWindow::EditorHandle() const {
    return window_ != nullptr ? GetWindow(Hwnd(window_), GW_CHILD) : nullptr;
}

bool EditorHostWindow::PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs > 0 ? timeoutMs : 0);
    for (;;) {
        if (done()) return true;
        MSG msg;
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            HWND editor = Hwnd(EditorHandle());
            if (msg.message == WM_TIMER && editor != nullptr &&
                (msg.hwnd == editor || IsChild(editor, msg.hwnd))) {
                ++ticks_;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            continue;
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return done();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    }
}

bool EditorHostWindow::WaitTicks(int n, int timeoutMs) {
    const int target = ticks_ + n;
    if (!PumpUntil([&] { return ticks_ >= target; }, timeoutMs)) return false;
    // What the tick asked for (a paint, say) is in the queue now.
    PumpUntil([] { return GetQueueStatus(QS_ALLINPUT) == 0; }, 2000);
    return true;
}

bool EditorHostWindow::Capture(RgbImage* image, std::string* error) {
    HWND editor = Hwnd(EditorHandle());
    if (editor == nullptr) {
        *error = "no editor is open";
        return false;
    }
    RECT client;
    GetClientRect(editor, &client);
    const int w = client.right - client.left;
    const int h = client.bottom - client.top;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC windowDc = GetDC(editor);
    HDC memoryDc = CreateCompatibleDC(windowDc);
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = dib != nullptr && memoryDc != nullptr && w > 0 && h > 0;
    if (ok) {
        HGDIOBJ previous = SelectObject(memoryDc, dib);
        ok = BitBlt(memoryDc, 0, 0, w, h, windowDc, 0, 0, SRCCOPY) != 0;
        GdiFlush();
        SelectObject(memoryDc, previous);
    }
    if (ok) {
        image->width = w;
        image->height = h;
        image->rgb.resize(size_t(w) * h * 3);
        const auto* pixels = static_cast<const uint32_t*>(bits);
        for (size_t i = 0; i < size_t(w) * h; ++i) {
            image->rgb[i * 3 + 0] = static_cast<uint8_t>(pixels[i] >> 16);
            image->rgb[i * 3 + 1] = static_cast<uint8_t>(pixels[i] >> 8);
            image->rgb[i * 3 + 2] = static_cast<uint8_t>(pixels[i]);
        }
    } else {
        *error = "cannot read the editor's pixels back";
    }
    if (dib != nullptr) DeleteObject(dib);
    if (memoryDc != nullptr) DeleteDC(memoryDc);
    ReleaseDC(editor, windowDc);
    return ok;
}

void EditorHostWindow::SetModifierKeys(MouseKeys keys) {
    // Windows that ask GetKeyState rather than the message's flags see them too.
    BYTE state[256];
    GetKeyboardState(state);
    state[VK_SHIFT] = keys.shift ? 0x80 : 0;
    state[VK_CONTROL] = keys.control ? 0x80 : 0;
    SetKeyboardState(state);
}

namespace {

WPARAM KeyFlags(MouseKeys keys, bool left, bool right) {
    WPARAM flags = 0;
    if (keys.shift) flags |= MK_SHIFT;
    if (keys.control) flags |= MK_CONTROL;
    if (left) flags |= MK_LBUTTON;
    if (right) flags |= MK_RBUTTON;
    return flags;
}

}  // namespace

void EditorHostWindow::MouseDown(int x, int y, MouseKeys keys, bool right) {
    SetModifierKeys(keys);
    SendMessageW(Hwnd(EditorHandle()), right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN,
                 KeyFlags(keys, !right, right), Point(x, y));
}

void EditorHostWindow::MouseMove(int x, int y, MouseKeys keys, bool leftHeld) {
    SetModifierKeys(keys);
    SendMessageW(Hwnd(EditorHandle()), WM_MOUSEMOVE, KeyFlags(keys, leftHeld, false), Point(x, y));
}

void EditorHostWindow::MouseUp(int x, int y, MouseKeys keys, bool right) {
    SetModifierKeys(keys);
    SendMessageW(Hwnd(EditorHandle()), right ? WM_RBUTTONUP : WM_LBUTTONUP,
                 KeyFlags(keys, false, false), Point(x, y));
    SetModifierKeys(MouseKeys{});
}

// WM_MOUSEWHEEL carries the position in screen coordinates, 120 units a notch.
void EditorHostWindow::Wheel(int x, int y, int notches, MouseKeys keys) {
    SetModifierKeys(keys);
    HWND editor = Hwnd(EditorHandle());
    POINT at{x, y};
    ClientToScreen(editor, &at);
    const WPARAM wParam = KeyFlags(keys, false, false) |
                          WPARAM(static_cast<WORD>(static_cast<short>(notches * 120))) << 16;
    SendMessageW(editor, WM_MOUSEWHEEL, wParam, Point(at.x, at.y));
    SetModifierKeys(MouseKeys{});
}

void EditorHostWindow::PressKey(int virtualKey) {
    HWND focus = GetFocus();
    if (focus == nullptr) return;
    const UINT scan = MapVirtualKeyW(static_cast<UINT>(virtualKey), 0);
    PostMessageW(focus, WM_KEYDOWN, static_cast<WPARAM>(virtualKey), 1 | LPARAM(scan) << 16);
    PostMessageW(focus, WM_KEYUP, static_cast<WPARAM>(virtualKey),
                 1 | LPARAM(scan) << 16 | LPARAM(3) << 30);
    PumpUntil([] { return GetQueueStatus(QS_ALLINPUT) == 0; }, 2000);
}

}  // namespace tav
