// Opening, closing and losing the editor window: nothing may leak or dangle.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <thread>

#include "editor/bitmap_png.h"
#include "tests/editor_win32/window_test_support.h"

namespace tav::test {
namespace {

class EditorWindowLifecycle : public ::testing::Test, public EditorWindowFixture {
  protected:
    bool ClassRegistered() {
        WNDCLASSEXA wc = {};
        wc.cbSize = sizeof wc;
        return GetClassInfoExA(GetModuleHandleA(nullptr), "IEditorWndClass", &wc) != FALSE;
    }
};

// Every begin is followed by its end before the next begin of the same parameter.
::testing::AssertionResult GesturesPaired(const std::vector<std::string>& events) {
    std::map<std::string, bool> open;
    for (const std::string& e : events) {
        const bool begin = e.rfind("begin ", 0) == 0;
        const bool end = e.rfind("end ", 0) == 0;
        if (!begin && !end) continue;
        const std::string index = e.substr(e.find(' ') + 1);
        if (open[index] == begin) return ::testing::AssertionFailure() << "unpaired " << e;
        open[index] = begin;
    }
    for (const auto& [index, isOpen] : open) {
        if (isOpen) return ::testing::AssertionFailure() << "no end for " << index;
    }
    return ::testing::AssertionSuccess();
}

TEST_F(EditorWindowLifecycle, FiveHundredOpensAndClosesLeakNoObjects) {
    HWND parent = SharedParentWindow();
    auto cycle = [&] {
        if (editor->OpenInParent(parent) == nullptr) return false;
        editor->Tick();
        // The host closes the editor while a value box (with its own font) is open.
        editor->OpenValueEntry(knob, core->Param(kFreq));
        const bool boxOpen = editor->EntryBox() != nullptr;
        editor->CloseNative();
        return boxOpen;
    };
    ASSERT_TRUE(cycle());  // caches (class, canvas context) settle here
    const int gdiObjects = CountGdiObjects();
    const int windows = CountWindows();
    for (int i = 0; i < 500; ++i) ASSERT_TRUE(cycle()) << "cycle " << i;
    PumpUntil([] { return true; });
    EXPECT_EQ(CountGdiObjects(), gdiObjects);
    EXPECT_EQ(CountWindows(), windows);
    EXPECT_EQ(OpenEditorWindowCount(), 0);
    EXPECT_FALSE(ClassRegistered());
    EXPECT_EQ(core->automations, 0);  // a close does not apply or re-send the box's value
}

TEST_F(EditorWindowLifecycle, HostDestroyingItsWindowFirstLeavesNothingBehind) {
    // A wheel gesture is pending and a value box open when the host pulls its window.
    auto hostPullsItsWindow = [&] {
        HWND hostWindow = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 400, 260,
                                          SharedParentWindow(), nullptr, nullptr, nullptr);
        window = static_cast<HWND>(editor->OpenInParent(hostWindow));
        if (window == nullptr) return false;
        editor->Tick();
        const POINT screen = ScreenPoint(CentreOf(knob));
        SendMessageA(window, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA),
                     MAKELPARAM(screen.x, screen.y));
        editor->OpenValueEntry(knob, core->Param(kFreq));
        const bool boxOpen = editor->EntryBox() != nullptr;
        DestroyWindow(hostWindow);
        return boxOpen;
    };
    ASSERT_TRUE(hostPullsItsWindow());
    const int gdiObjects = CountGdiObjects();
    ClearRecord();
    ASSERT_TRUE(hostPullsItsWindow());
    EXPECT_FALSE(editor->IsOpen());
    EXPECT_EQ(editor->EntryBox(), nullptr);
    EXPECT_EQ(core->events, (std::vector<std::string>{"begin 0", "automate 0", "end 0"}));
    editor->CloseNative();  // the host's late close is harmless
    EXPECT_EQ(OpenEditorWindowCount(), 0);
    EXPECT_FALSE(ClassRegistered());
    EXPECT_EQ(CountGdiObjects(), gdiObjects);
    // No timer or procedure of ours is left to run: a few timer periods pass quietly.
    core.reset();
    PumpUntil([] { return false; }, 200);
}

// The core ends the pending gesture from another thread (as a dispatcher call may)
// while the window's timer counts it down: every wheel gesture ends exactly once.
TEST_F(EditorWindowLifecycle, WheelGestureEndsExactlyOnceWhileAnotherThreadEndsIt) {
    ASSERT_TRUE(Open());
    std::atomic<bool> stop{false};
    std::atomic<int> rounds{0};
    std::thread hostThread([&] {
        while (!stop.load()) {
            if (rounds.fetch_add(1) % 64 == 0) core->EndPendingEdit();
            std::this_thread::yield();
        }
    });
    const POINT screen = ScreenPoint(CentreOf(knob));
    for (int i = 0; i < 60; ++i) {
        PostMessageA(window, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA),
                     MAKELPARAM(screen.x, screen.y));
        const int seen = rounds.load();
        PumpUntil([&] { return rounds.load() > seen + 64 * (i % 4); });
    }
    stop = true;
    hostThread.join();
    ASSERT_TRUE(PumpUntil([&] { return core->PendingEditIndex() < 0; }));
    EXPECT_GT(core->endEdits, 1);
    EXPECT_EQ(core->automations, 60);
    EXPECT_TRUE(GesturesPaired(core->events));
}

TEST_F(EditorWindowLifecycle, ScreenshotFromTheWindowShowsTheCanvas) {
    ASSERT_TRUE(Open());
    const std::unique_ptr<MemoryBitmap> shot = CaptureWindow(window, kWidth, kHeight);
    const SystemBitmap* canvas = editor->Canvas();
    int differing = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            differing += ((canvas->Pixels()[y * canvas->RowPitch() + x] ^
                           shot->Pixels()[y * shot->RowPitch() + x]) &
                          0xFFFFFF) != 0;
        }
    }
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(shot->Pixels()[5 * shot->RowPitch() + 5], 0xFF5A606Eu);  // the plain background
    const std::string dir = TAV_BINARY_DIR "/test-output";
    CreateDirectoryA(dir.c_str(), nullptr);
    EXPECT_TRUE(WriteBitmapPng(*shot, (dir + "/win32_editor_window.png").c_str()));
}

// The modal dialogs, answered from another thread the way a user would.
TEST_F(EditorWindowLifecycle, DialogsStartFromWhatTheCallerGives) {
    ASSERT_TRUE(Open());
    std::string fileName;
    std::string filter;
    std::thread user = AnswerDialog("#32770", nullptr, IDCANCEL, [&](HWND dialog) {
        char text[64] = {};
        GetDlgItemTextA(dialog, 0x47c, text, sizeof text);  // file name box
        fileName = text;
        GetDlgItemTextA(dialog, 0x470, text, sizeof text);  // file type list
        filter = text;
    });
    char directory[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, directory);
    char path[64] = "old.wav";
    editor->AskForFile(path, sizeof path, 1, "C:\\windows", "wav aif");
    user.join();
    EXPECT_STREQ(path, "");  // cancelled
    EXPECT_EQ(fileName, "old.wav");
    EXPECT_EQ(filter, "*.wav;*.aif");
    char after[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, after);
    EXPECT_STREQ(after, directory);

    user = AnswerDialog(nullptr, "Pick a tint", IDOK, [](HWND) {});
    ArgbColor colour{17, 200, 100, 50};
    EXPECT_TRUE(editor->AskForColour(&colour, "Pick a tint"));
    user.join();
    EXPECT_EQ(colour.a, 17);
    EXPECT_EQ(colour.r, 200);
    EXPECT_EQ(colour.g, 100);
    EXPECT_EQ(colour.b, 50);
}

// Only the one host that needs it gets the keyboard focus taken, at creation and
// at mouse activation.
TEST_F(EditorWindowLifecycle, FocusIsTakenForTheOneHostThatNeedsIt) {
    for (HostKind host : {0, 9, 25}) {
        SCOPED_TRACE(host);
        core->SetHostId(host);
        SetFocus(nullptr);
        ASSERT_TRUE(Open());
        EXPECT_EQ(GetFocus() == window, host == 25);
        SetFocus(nullptr);
        EXPECT_EQ(
            SendMessageA(window, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(GetParent(window)),
                         MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
            MA_ACTIVATE);
        EXPECT_EQ(GetFocus() == window, host == 25);
        editor->CloseNative();
    }
}

// The host's window and the process keep everything they had: only our child comes
// and goes.
TEST_F(EditorWindowLifecycle, HostWindowAndProcessStateAreLeftAlone) {
    HWND parent = SharedParentWindow();
    auto snapshot = [&] {
        char title[64] = {};
        GetWindowTextA(parent, title, sizeof title);
        char directory[MAX_PATH] = {};
        GetCurrentDirectoryA(MAX_PATH, directory);
        RECT r;
        GetWindowRect(parent, &r);
        return std::vector<std::string>{
            title,
            directory,
            std::to_string(GetWindowLongPtrA(parent, GWL_STYLE)),
            std::to_string(GetWindowLongPtrA(parent, GWL_EXSTYLE)),
            std::to_string(GetWindowLongPtrA(parent, GWLP_WNDPROC)),
            std::to_string(GetWindowLongPtrA(parent, GWLP_USERDATA)),
            std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right),
            std::to_string(reinterpret_cast<intptr_t>(GetThreadDpiAwarenessContext()))};
    };
    const std::vector<std::string> before = snapshot();
    ASSERT_TRUE(Open());
    const POINT c = CentreOf(choice);
    Post(WM_RBUTTONDOWN, MK_RBUTTON, c);
    Post(WM_RBUTTONUP, 0, c);
    ASSERT_TRUE(PumpUntil([&] { return Box() != nullptr; }));
    editor->CloseNative();
    EXPECT_EQ(snapshot(), before);
}

TEST_F(EditorWindowLifecycle, ServicesWithoutAWindow) {
    std::unique_ptr<RasterBitmap> knobImage(editor->LoadBitmapResource(101, "img/knob.png"));
    ASSERT_NE(knobImage, nullptr);
    EXPECT_EQ(knobImage->Width(), 50);
    EXPECT_EQ(knobImage->Height(), 50);
    EXPECT_EQ(editor->LoadBitmapResource(999, nullptr), nullptr);

    char host[256];
    char module[256];
    editor->HostDirectory(host, sizeof host);
    editor->ModuleDirectory(module, sizeof module);
    EXPECT_STRNE(host, "");
    EXPECT_EQ(host[strlen(host) - 1], '\\');
    EXPECT_STREQ(module, host);  // the test program is its own module
    char tiny[4] = "abc";
    editor->HostDirectory(tiny, sizeof tiny);
    EXPECT_STREQ(tiny, "");

    char path[64] = "C:\\old.wav";
    editor->AskForFile(path, sizeof path, 0, nullptr, "wav aif");
    EXPECT_STREQ(path, "");
    ArgbColor colour;
    EXPECT_FALSE(editor->AskForColour(&colour, "x"));
    EXPECT_FALSE(editor->OpenWebPage("Z:\\no\\such\\page.tavnone", nullptr, nullptr, nullptr));
    EXPECT_FALSE(editor->IsOpen());
    editor->CloseNative();
}

}  // namespace
}  // namespace tav::test
