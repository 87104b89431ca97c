#include <windows.h>

#include "tests/soak/host_window.h"

namespace tav {

HostWindow::HostWindow() {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TavSoakHostWindow";
    RegisterClassExA(&wc);
    handle_ = CreateWindowExA(0, wc.lpszClassName, "Soak host", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                              40, 40, 560, 380, nullptr, nullptr, wc.hInstance, nullptr);
    Pump();
}

HostWindow::~HostWindow() {
    if (handle_ != nullptr) DestroyWindow(static_cast<HWND>(handle_));
    Pump();
}

void HostWindow::Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

}  // namespace tav
