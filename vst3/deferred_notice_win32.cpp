// Windows: a message-only window of the thread that started the notices (the
// host's UI thread); a posted message sends them when that thread next pumps
// its messages, never from inside the host's own call.
#include <windows.h>

#include <mutex>

#include "vst3/deferred_notice.h"

namespace tav::vst3 {
namespace {

constexpr wchar_t kClassName[] = L"TavrellionNotices";
constexpr UINT kSendMessage = WM_APP + 1;

std::mutex classMutex;
int windows = 0;  // of our class, in this module

HINSTANCE ModuleOfThisCode() {
    HMODULE module = nullptr;
    GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&ModuleOfThisCode), &module);
    return module;
}

LRESULT CALLBACK NoticeWindow(HWND window, UINT message, WPARAM wp, LPARAM lp) {
    if (message == kSendMessage) {
        auto* notices = reinterpret_cast<DeferredNotice*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (notices != nullptr) notices->SendPending();
        return 0;
    }
    return DefWindowProcW(window, message, wp, lp);
}

bool CountWindow(HINSTANCE instance) {
    std::lock_guard<std::mutex> lock(classMutex);
    if (windows == 0) {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = NoticeWindow;
        wc.hInstance = instance;
        wc.lpszClassName = kClassName;
        if (RegisterClassExW(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            return false;
    }
    ++windows;
    return true;
}

// The class goes with its last window, so the module can be unloaded.
void UncountWindow(HINSTANCE instance) {
    std::lock_guard<std::mutex> lock(classMutex);
    if (windows > 0 && --windows == 0) UnregisterClassW(kClassName, instance);
}

}  // namespace

void DeferredNotice::OpenChannel() {
    if (channel_ != nullptr) return;
    HINSTANCE instance = ModuleOfThisCode();
    if (!CountWindow(instance)) return;  // no window: the notice thread sends
    HWND window = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  instance, nullptr);
    if (window == nullptr) {
        UncountWindow(instance);
        return;
    }
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    channel_ = window;
}

void DeferredNotice::CloseChannel() {
    if (channel_ == nullptr) return;
    HWND window = static_cast<HWND>(channel_);
    channel_ = nullptr;
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
        DestroyWindow(window);
        UncountWindow(ModuleOfThisCode());
    } else {
        // Only its own thread may destroy it; the class stays until then.
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
}

bool DeferredNotice::Signal(bool first) {
    if (channel_ == nullptr) return false;
    // One message for everything pending: it sends the lot.
    return !first || PostMessageW(static_cast<HWND>(channel_), kSendMessage, 0, 0) != 0;
}

}  // namespace tav::vst3
