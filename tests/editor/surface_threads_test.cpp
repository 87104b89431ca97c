// The host's thread automates parameters while the window's thread routes mouse
// events and paints. Run under ThreadSanitizer (checks/run-tsan), any unguarded
// access between the two is reported.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>

#include "core/effect_core.h"
#include "editor/editor_caches.h"
#include "tests/editor/editor_fixture.h"
#include "tests/raster/test_bitmaps.h"
#include "tests/support/core_lock_probe.h"

namespace tav::test {
namespace {

using SurfaceThreadTest = EditorFixture;

TEST_F(SurfaceThreadTest, HostAutomationWhileTheWindowPaints) {
    auto knobImage = std::make_unique<MemoryBitmap>(40, 40, 4);
    PaintKnob(*knobImage);
    const BitmapRef knobRef{AddCachedBitmap(300, std::move(knobImage)), 40, 40, 1};
    BoxFont font;
    TextStyle style;
    style.cachedFont = &font;
    AddProbe({0, 0, 520, 335}, -1, "back");
    const int params[] = {kFreq, kDepth, kMode};
    for (int i = 0; i < 9; ++i)
        surface->AddControl(new SpinKnob(&core, {20 + 50 * i, 40, 60 + 50 * i, 100}, params[i % 3],
                                         knobRef, style));
    auto* label = new ITextControl(&core, {10, 300, 200, 320}, style, "");
    surface->AddControl(label);
    surface->OpenInParent(nullptr);

    constexpr int kRounds = 400;
    std::atomic<bool> windowDone{false};
    std::thread host([&] {
        for (int i = 0; !windowDone.load() || i < kRounds; ++i) {
            core.ApplyHostParamChange(params[i % 3], (i % 101) / 100.0);
            if (i % 7 == 0) {
                CoreLockGuard guard(&core.Lock());
                label->SetText(i % 2 == 0 ? "even" : "an odd and somewhat longer text");
            }
            if (i % 50 == 0) core.PushParamsToEditor();
        }
    });
    const MouseMods left{true, false, false, false, false};
    for (int i = 0; i < kRounds; ++i) {
        const int x = 40 + 50 * (i % 9);
        surface->PressAt(x, 60, left);
        surface->DragTo(x, 60 - i % 13, left);
        surface->ReleaseAt(x, 50, left);
        surface->WheelAt(x, 60, {}, 1);
        surface->Tick();
    }
    windowDone = true;
    host.join();
    while (surface->Tick()) {
    }
    EXPECT_GT(surface->presentCount, 0);
    EXPECT_GT(font.calls, 0);
}

// Rasterising takes its time, and the audio thread waits for the core lock: a draw
// pass renders with the lock free.
TEST_F(SurfaceThreadTest, ControlsRenderWithTheCoreLockFree) {
    struct LockCheckingControl : IControl {
        using IControl::IControl;
        bool Render(EditorSurface*) override {
            lockFree.push_back(LockFree(*owner));
            return true;
        }
        std::vector<bool> lockFree;
    };
    auto* control = new LockCheckingControl(&core, {0, 0, 520, 335}, kDepth);
    surface->AddControl(control);
    surface->MarkAllChanged();
    ASSERT_TRUE(surface->Tick());
    EXPECT_EQ(control->lockFree, std::vector<bool>{true});
}

// Two editors of one process painting on threads of their own share the cached
// fonts; each draws its own colour.
TEST(SurfaceThreads, TwoEditorsShareFontsSafely) {
    struct Editor {
        EditorTestCore core;
        HeadlessSurface* surface = new HeadlessSurface(&core, 120, 40);
        ITextControl* text = nullptr;
        explicit Editor(int32_t red) {
            TextStyle style;
            style.color = ArgbColor{255, red, 40, 40};
            text = new ITextControl(&core, {0, 0, 120, 40}, style, "");
            surface->AddControl(text);
            core.AttachEditor(surface);
            surface->OpenInParent(nullptr);
        }
        void Run(int rounds) {
            char line[32];
            for (int i = 0; i < rounds; ++i) {
                std::snprintf(line, sizeof line, "%d \xC3\xA9\xE2\x82\xAC%c", i, 'A' + i % 26);
                {
                    CoreLockGuard guard(&core.Lock());
                    text->SetText(line);
                }
                surface->Tick();
            }
        }
    };
    Editor first(250), second(10);
    std::thread other([&] { second.Run(200); });
    first.Run(200);
    other.join();
    auto reddest = [](const RasterBitmap& canvas) {
        int best = 0;
        for (int32_t y = 0; y < canvas.Height(); ++y)
            for (int32_t x = 0; x < canvas.Width(); ++x)
                best = std::max(best, int((At(canvas, x, y) >> 16) & 0xFF));
        return best;
    };
    EXPECT_GT(reddest(*first.surface->Canvas()), 150);
    EXPECT_LT(reddest(*second.surface->Canvas()), 100);
    FreeEditorCaches();
}

}  // namespace
}  // namespace tav::test
