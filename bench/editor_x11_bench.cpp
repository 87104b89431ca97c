// Presenting the editor's canvas in an X window: the whole 520 x 335 editor and one
// knob's area, through a shared-memory segment and through a plain XPutImage, each
// waited for until the server has drawn it.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "editor/x11_image_presenter.h"

namespace {

constexpr int kWidth = 520;
constexpr int kHeight = 335;

struct Target {
    Display* display = nullptr;
    Window window = 0;
    tav::X11ImagePresenter presenter;

    bool Open(bool shared) {
        display = XOpenDisplay(nullptr);
        if (display == nullptr) return false;
        window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, kWidth, kHeight, 0,
                                     0, 0);
        XMapWindow(display, window);
        XSync(display, False);
        XWindowAttributes attributes;
        XGetWindowAttributes(display, window, &attributes);
        if (!presenter.Create(display, window, attributes.visual, attributes.depth, kWidth, kHeight,
                              shared)) {
            return false;
        }
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) presenter.Row(y)[x] = 0xFF000000u | (x * 7 ^ y * 3);
        }
        return presenter.UsesSharedMemory() == shared;
    }
    ~Target() {
        presenter.Destroy();
        if (display != nullptr) XCloseDisplay(display);
    }
};

void BM_Present(benchmark::State& state) {
    const bool shared = state.range(0) != 0;
    const int w = static_cast<int>(state.range(1));
    const int h = static_cast<int>(state.range(2));
    Target target;
    if (!target.Open(shared)) {
        state.SkipWithError(shared ? "no X display with MIT-SHM" : "no X display");
        return;
    }
    for (auto _ : state) {
        target.presenter.Put(0, 0, w, h);
        XSync(target.display, False);
    }
    state.SetItemsProcessed(state.iterations() * w * h);
    state.SetLabel(shared ? "shared memory" : "XPutImage");
}
BENCHMARK(BM_Present)
    ->ArgNames({"shared", "w", "h"})
    ->Args({1, kWidth, kHeight})
    ->Args({0, kWidth, kHeight})
    ->Args({1, 50, 71})
    ->Args({0, 50, 71})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
