// The face embedded in a host's window on a private Xvfb server: which loop
// drives it when the host lends one that takes only part of it, what is given
// back, and when the host is asked about a new scale.
// gtest before Xlib, whose macros (None, Bool) would break its headers.
#include "tests/editor/editor_fixture.h"
// clang-format off
#include <X11/Xlib.h>
// clang-format on

#include <chrono>
#include <filesystem>
#include <iterator>
#include <thread>

#include "editor/embedded_editor.h"
#include "editor/x11_editor_window.h"

namespace tav::test {
namespace {

int ThreadCount() {
    return static_cast<int>(std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                                          std::filesystem::directory_iterator()));
}

// A joined thread can still be listed for a moment while it ends (for long under
// qemu-user): waits, up to ten seconds, for the count to come back.
bool ThreadsSettleAt(int count) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (ThreadCount() != count) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// A host's loop that takes what it is told to and counts what it still holds.
class FakeLoop final : public IHostLoop {
  public:
    bool StartTimer(uint32_t milliseconds) override {
        period = milliseconds;
        held += takesTimer ? 1 : 0;
        return takesTimer;
    }
    bool WatchDescriptor(int) override {
        held += takesFd ? 1 : 0;
        return takesFd;
    }
    void StopAll() override { held = 0; }

    bool takesTimer = true, takesFd = true;
    uint32_t period = 0;
    int held = 0;
};

class CountingCore final : public EditorTestCore {
  public:
    void EditorOpened() override { ++opened; }
    void EditorClosed() override { ++closed; }
    int opened = 0, closed = 0;
};

class EmbeddedEditorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr) << "no X display: run under xvfb-run -a";
        parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 600, 400, 0, 0, 0);
        XMapWindow(display, parent);
        XSync(display, False);
        window = new X11EditorWindow(&core, 520, 335, 30);
        core.AttachEditor(window);
    }
    void TearDown() override {
        face.Close(core);
        if (display != nullptr) XCloseDisplay(display);
        FreeEditorCaches();
    }
    void* Parent() const { return reinterpret_cast<void*>(parent); }

    CountingCore core;
    X11EditorWindow* window = nullptr;  // the core's
    EmbeddedEditor face;
    Display* display = nullptr;
    Window parent = 0;
};

TEST_F(EmbeddedEditorTest, TheHostsLoopDrivesTheFaceOnlyWhenItTakesTimerAndDescriptor) {
    const struct {
        const char* what;
        bool lend, takesTimer, takesFd;
        bool driven;
    } kCases[] = {
        {"both taken", true, true, true, true},
        {"timer refused", true, false, true, false},
        {"descriptor refused", true, true, false, false},
        {"no loop", false, true, true, false},
    };
    const int idle = ThreadCount();
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        FakeLoop loop;
        loop.takesTimer = c.takesTimer;
        loop.takesFd = c.takesFd;
        ASSERT_TRUE(ThreadsSettleAt(idle));
        const int threads = idle;
        ASSERT_TRUE(face.Open(core, Parent(), c.lend ? &loop : nullptr));
        EXPECT_NE(window->NativeHandle(), nullptr);
        EXPECT_EQ(face.HostDriven(), c.driven);
        // Driven by the host: its timer and the X connection; else all given back
        // and the window's own thread.
        EXPECT_EQ(loop.held, c.driven ? 2 : 0);
        if (c.driven) {
            EXPECT_EQ(loop.period, EmbeddedEditor::kHostTimerMilliseconds);
        }
        EXPECT_EQ(ThreadCount(), threads + (c.driven ? 0 : 1));
        EXPECT_FALSE(face.Open(core, Parent(), nullptr));  // one window at a time
        face.Close(core);
        EXPECT_EQ(loop.held, 0);
        EXPECT_EQ(window->NativeHandle(), nullptr);
        EXPECT_TRUE(ThreadsSettleAt(threads)) << "the window's thread outlived the face";
    }
    EXPECT_EQ(core.opened, 4);
    EXPECT_EQ(core.closed, 4);
}

// A loop that turns up after the face opened running itself takes over only when
// it takes both, and the window's thread is gone once it has.
TEST_F(EmbeddedEditorTest, ALateLoopTakesOverOnlyWhenItTakesTimerAndDescriptor) {
    const struct {
        const char* what;
        bool takesTimer, takesFd;
    } kCases[] = {{"both taken", true, true}, {"descriptor refused", true, false}};
    const int idle = ThreadCount();
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        FakeLoop loop;
        loop.takesTimer = c.takesTimer;
        loop.takesFd = c.takesFd;
        const bool taken = c.takesTimer && c.takesFd;
        EXPECT_FALSE(face.TakeHostLoop(core, &loop));  // nothing open
        ASSERT_TRUE(face.Open(core, Parent(), nullptr));
        ASSERT_EQ(ThreadCount(), idle + 1);
        EXPECT_EQ(face.TakeHostLoop(core, &loop), taken);
        EXPECT_EQ(face.HostDriven(), taken);
        EXPECT_EQ(loop.held, taken ? 2 : 0);
        EXPECT_TRUE(ThreadsSettleAt(taken ? idle : idle + 1));
        face.Close(core);
        EXPECT_TRUE(ThreadsSettleAt(idle));
    }
}

TEST_F(EmbeddedEditorTest, AnOpenFaceChangesScaleOnlyWhenTheHostResizesForIt) {
    const struct {
        const char* what;
        bool open, hostAgrees;
        int percent;
        bool asked, taken;
    } kCases[] = {
        {"closed: taken without asking", false, false, 150, false, true},
        {"open, the host agrees", true, true, 200, true, true},
        {"open, the host refuses", true, false, 150, true, false},
        {"open, the scale it has", true, false, 100, false, true},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        window->SetScalePercent(100);
        if (c.open) {
            ASSERT_TRUE(face.Open(core, Parent(), nullptr));
        }
        // The size the face has at that scale, asked for before it has it.
        const int width = window->WidthAt(c.percent), height = window->HeightAt(c.percent);
        int askedWidth = 0, askedHeight = 0;
        const bool taken = face.ApplyScale(core, c.percent, [&](int w, int h) {
            askedWidth = w, askedHeight = h;
            return c.hostAgrees;
        });
        EXPECT_EQ(taken, c.taken);
        EXPECT_EQ(window->ScalePercent(), c.taken ? c.percent : 100);
        EXPECT_EQ(askedWidth, c.asked ? width : 0);
        EXPECT_EQ(askedHeight, c.asked ? height : 0);
        face.Close(core);
    }
}

}  // namespace
}  // namespace tav::test
