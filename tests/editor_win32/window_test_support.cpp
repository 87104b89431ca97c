#include "tests/editor_win32/window_test_support.h"

#include <algorithm>
#include <cstdio>

#include "editor/editor_surface.h"

namespace tav::test {

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (done()) return true;
        if (GetTickCount() - start > timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

bool PostedQueueEmpty() {
    return HIWORD(GetQueueStatus(QS_POSTMESSAGE)) == 0;
}

std::unique_ptr<MemoryBitmap> CaptureWindow(HWND hwnd, int width, int height) {
    auto shot = std::make_unique<MemoryBitmap>(width, height, 1);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC windowDc = GetDC(hwnd);
    HDC memoryDc = CreateCompatibleDC(windowDc);
    HBITMAP dib = CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dib != nullptr) {
        HGDIOBJ previous = SelectObject(memoryDc, dib);
        BitBlt(memoryDc, 0, 0, width, height, windowDc, 0, 0, SRCCOPY);
        GdiFlush();
        const auto* pixels = static_cast<const uint32_t*>(bits);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                shot->Pixels()[y * shot->RowPitch() + x] = 0xFF000000 | pixels[y * width + x];
            }
        }
        SelectObject(memoryDc, previous);
        DeleteObject(dib);
    }
    DeleteDC(memoryDc);
    ReleaseDC(hwnd, windowDc);
    return shot;
}

std::thread AnswerDialog(const char* className, const char* title, WPARAM command,
                         std::function<void(HWND)> look) {
    return std::thread([=] {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < 15000) {
            if (HWND dialog = FindWindowA(className, title);
                dialog != nullptr && IsWindowVisible(dialog)) {
                look(dialog);
                PostMessageA(dialog, WM_COMMAND, command, 0);
                return;
            }
            Sleep(5);
        }
    });
}

HWND SharedParentWindow() {
    static HWND parent = [] {
        WNDCLASSEXA wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        wc.lpszClassName = "TavTestHostWindow";
        RegisterClassExA(&wc);
        HWND hwnd =
            CreateWindowExA(0, wc.lpszClassName, "Test host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40,
                            40, 420, 300, nullptr, nullptr, wc.hInstance, nullptr);
        PumpUntil([&] { return IsWindowVisible(hwnd) != FALSE; });
        return hwnd;
    }();
    return parent;
}

bool PlainBackground::Render(EditorSurface* surface) {
    return surface->PaintFill(colour_, rect, nullptr);
}

void BarKnob::MouseDragged(int, int, int dx, int dy, const MouseMods& mods) {
    drag.Apply(*this, dx, dy, mods);
}

bool BarKnob::Render(EditorSurface* surface) {
    surface->PaintFill(ArgbColor{255, 40, 44, 60}, rect, nullptr);
    PixelRect bar = rect;
    bar.top = rect.bottom - static_cast<int>((rect.bottom - rect.top) * paintValue);
    if (bar.top < bar.bottom) surface->PaintFill(ArgbColor{255, 235, 165, 40}, bar, nullptr);
    return true;
}

EditorWindowFixture::EditorWindowFixture() {
    EffectIdentity identity;
    identity.paramCount = kParamCount;
    identity.channelIo = "2-2";
    identity.presetCount = 1;
    core = std::make_unique<TestCore>(identity);
    core->Param(kFreq)->DefineContinuous("Freq", 1000.0, 20.0, 20000.0, 1.0, "Hz");
    core->Param(kMode)->DefineChoice("Mode", 0, 3, "");
    core->Param(kMode)->AddValueLabel(0, "Soft");
    core->Param(kMode)->AddValueLabel(1, "Hard");
    core->Param(kMode)->AddValueLabel(2, "Wild");
    core->Param(kDepth)->DefineContinuous("Depth", 50.0, 0.0, 100.0, 1.0, "%");

    editor = new Win32EditorWindow(core.get(), kWidth, kHeight, 0);
    editor->SetModuleInstance(GetModuleHandleA(nullptr));
    editor->AddControl(
        new PlainBackground(core.get(), {0, 0, kWidth, kHeight}, {255, 90, 96, 110}));
    knob = new BarKnob(core.get(), {30, 40, 70, 140}, kFreq);
    choice = new BarKnob(core.get(), {130, 40, 170, 140}, kMode);
    editor->AddControl(knob);
    editor->AddControl(choice);
    editor->AddControl(new BarKnob(core.get(), {230, 40, 270, 140}, kDepth));
    TextStyle style;
    style.align = 0;
    label = new IEditableTextControl(core.get(), {20, 160, 300, 184}, style, "Preset one",
                                     ArgbColor{255, 230, 230, 230}, true, false);
    editor->AddControl(label);
    core->AttachEditor(editor);
}

EditorWindowFixture::~EditorWindowFixture() {
    core.reset();
    // Whatever the test left behind (notices, destroyed windows) is handled here.
    PumpUntil([] { return true; });
}

bool EditorWindowFixture::Open() {
    window = static_cast<HWND>(editor->OpenInParent(SharedParentWindow()));
    if (window == nullptr) return false;
    ClearRecord();
    return PumpUntil([&] { return !knob->NeedsPaint() && !choice->NeedsPaint(); });
}

POINT EditorWindowFixture::CentreOf(const IControl* control) const {
    return {(control->rect.left + control->rect.right) / 2,
            (control->rect.top + control->rect.bottom) / 2};
}

POINT EditorWindowFixture::ScreenPoint(POINT client) const {
    ClientToScreen(window, &client);
    return client;
}

void EditorWindowFixture::Post(UINT msg, WPARAM wp, POINT client) const {
    PostMessageA(window, msg, wp, MAKELPARAM(client.x, client.y));
}

void EditorWindowFixture::PostKey(HWND target, WPARAM vk) const {
    const UINT scan = MapVirtualKeyA(static_cast<UINT>(vk), MAPVK_VK_TO_VSC);
    PostMessageA(target, WM_KEYDOWN, vk, 1 | LPARAM(scan) << 16);
    PostMessageA(target, WM_KEYUP, vk, 1 | LPARAM(scan) << 16 | LPARAM(3) << 30);
}

void EditorWindowFixture::Type(HWND target, const char* digits) const {
    // Each key's WM_CHAR is posted behind whatever is queued: one key at a time.
    for (const char* p = digits; *p != '\0'; ++p) {
        PostKey(target, *p == '.' ? VK_OEM_PERIOD : static_cast<WPARAM>(*p));
        PumpUntil(PostedQueueEmpty);
    }
}

void EditorWindowFixture::ClearRecord() {
    core->events.clear();
    core->beginEdits = 0;
    core->endEdits = 0;
    core->automations = 0;
}

int EditorWindowFixture::Count(const std::string& event) const {
    return static_cast<int>(std::count(core->events.begin(), core->events.end(), event));
}

}  // namespace tav::test
