// Editor repaint benchmarks on the real skin: a full 520 x 335 repaint (background
// and ten turned knobs with their value texts) and the repaint of one knob, each
// beside the same drawing done with pixman, at 100 % and at 200 % (the 2x skin on a
// 1040 x 670 canvas), plus the longest time the window's thread holds the core lock
// during a full repaint.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "bench/pixman_image.h"
#include "bench/ratio_reporter.h"
#include "core/effect_core.h"
#include "editor/editor_caches.h"
#include "editor/headless_surface.h"
#include "editor/icontrol.h"
#include "raster/png_loader.h"
#include "tests/support/recording_host.h"

namespace tav::bench {
namespace {

constexpr int kWidth = 520, kHeight = 335, kKnobs = 10;
enum Resource { kBackgroundImage = 100, kKnobImage = 101 };

// Knob centres on the skin: three and two per side.
constexpr int kCentres[kKnobs][2] = {{53, 150},  {117, 150}, {180, 150}, {82, 248},  {146, 248},
                                     {342, 150}, {405, 150}, {469, 150}, {371, 248}, {436, 248}};

// A knob the way the effect draws one: the indicator turned by value, the value as
// text in the well below.
class BenchKnob : public IControl {
  public:
    BenchKnob(IEffectCore* owner, int cx, int cy, int param, const BitmapRef& image)
        : IControl(owner, {cx - 32, cy - 25, cx + 32, cy + 48}, param), image(image) {
        style.size = 12;
        style.color = ArgbColor{255, 230, 230, 230};
    }
    void CapturePaintState() override {
        IControl::CapturePaintState();
        std::snprintf(text, sizeof text, "%.1f Hz", 40.0 + paintValue * 19960.0);
    }
    bool Render(EditorSurface* surface) override {
        const int cx = (rect.left + rect.right) / 2;
        const float angle = static_cast<float>((paintValue - 0.5) * 4.71238898);
        surface->BlitSpun(image, cx, rect.top + 25, angle, &paintBlend, 0, 0);
        return surface->PaintText(style, text,
                                  {rect.left, rect.bottom - 16, rect.right, rect.bottom});
    }

    BitmapRef image;
    TextStyle style;
    char text[32] = "";
};

EffectIdentity Identity() {
    EffectIdentity id;
    id.paramCount = kKnobs;
    id.channelIo = "2-2";
    id.presetCount = 1;
    return id;
}

std::unique_ptr<MemoryBitmap> SkinImage(std::string name, int percent = 100) {
    if (percent != 100) name.insert(name.find('.'), "@" + std::to_string(percent));
    return LoadPngFile((std::string(TAV_SOURCE_DIR) + "/img/" + name).c_str());
}

// Resource numbers of the larger skins: the 1x number plus 50 or 100.
std::unique_ptr<MemoryBitmap> SkinResource(int number) {
    const int percent = number >= 200 ? 200 : number >= 150 ? 150 : 100;
    const int base = number - (percent - 100);
    return SkinImage(base == kBackgroundImage ? "bg.png" : "knob.png", percent);
}

int Scaled(int v, int percent) {
    return (v * percent + 50) / 100;
}

// The effect's editor in miniature, attached to a recording core.
struct Editor {
    test::RecordingHost core{Identity()};
    HeadlessSurface* surface = new HeadlessSurface(&core, kWidth, kHeight);
    std::vector<BenchKnob*> knobs;

    explicit Editor(int percent = 100) {
        for (int i = 0; i < kKnobs; ++i) core.Param(i)->DefineContinuous("Knob", 0.5, 0, 1, 0, "");
        surface->SetBitmapLoader(
            [](int number) -> RasterBitmap* { return SkinResource(number).release(); });
        surface->SetScalePercent(percent);
        surface->SetBackdrop(kBackgroundImage, "img/bg.png");
        const BitmapRef knob = surface->FetchBitmap(kKnobImage, "img/knob.png", 1);
        for (int i = 0; i < kKnobs; ++i) {
            knobs.push_back(new BenchKnob(&core, kCentres[i][0], kCentres[i][1], i, knob));
            surface->AddControl(knobs.back());
        }
        core.AttachEditor(surface);
        surface->OpenInParent(nullptr);
        while (surface->Tick()) {
        }
    }
    bool Ready() const { return surface->Control(0)->rect.right == kWidth; }
    // What host automation does: a new value per knob, under the core lock.
    void Automate(int64_t i) {
        for (int k = 0; k < kKnobs; ++k) core.ApplyHostParamChange(k, ((i + 7 * k) % 100) / 100.0);
    }
};

float AngleFor(int64_t i, int k) {
    return static_cast<float>(((i + 7 * k) % 100 / 100.0 - 0.5) * 4.71238898);
}

void FullRepaint(benchmark::State& state, int percent) {
    Editor editor(percent);
    if (!editor.Ready()) return state.SkipWithError("skin images missing");
    int64_t i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        editor.Automate(i++);
        state.ResumeTiming();
        editor.surface->MarkAllChanged();
        editor.surface->RepaintChanged();
        benchmark::ClobberMemory();
    }
}

void KnobRepaint(benchmark::State& state, int percent) {
    Editor editor(percent);
    if (!editor.Ready()) return state.SkipWithError("skin images missing");
    int64_t i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        editor.core.ApplyHostParamChange(3, (i++ % 100) / 100.0);
        editor.knobs[3]->paintAgain = false;
        state.ResumeTiming();
        editor.surface->RepaintChanged();
        benchmark::ClobberMemory();
    }
}

// The window thread's locked steps of a full repaint: change collection and the
// capture of paint state. Reports the longest step and the 99th percentile in wall
// time (which includes any preemption while the lock is held) and the longest in
// the thread's own CPU time.
void LockHold_FullRepaint(benchmark::State& state) {
    Editor editor;
    if (!editor.Ready()) return state.SkipWithError("skin images missing");
    using Clock = std::chrono::steady_clock;
    std::vector<double> wall;
    double longestCpu = 0;
    int64_t i = 0;
    auto timed = [&](auto&& step) {
        const double c0 = ThreadCpuNs();
        const auto t0 = Clock::now();
        step();
        const auto t1 = Clock::now();
        longestCpu = std::max(longestCpu, (ThreadCpuNs() - c0) / 1e3);
        wall.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
    };
    for (auto _ : state) {
        editor.Automate(i++);
        editor.surface->MarkAllChanged();
        PixelRect area;
        timed([&] { editor.surface->CollectChangedArea(&area); });
        timed([&] { editor.surface->PreparePaint(area); });
        editor.surface->RenderPrepared();
    }
    if (wall.empty()) return;
    std::sort(wall.begin(), wall.end());
    state.counters["longest_us"] = wall.back();
    state.counters["p99_us"] = wall[wall.size() * 99 / 100];
    state.counters["longest_cpu_us"] = longestCpu;
}

struct PixmanEditor {
    int percent;
    std::unique_ptr<MemoryBitmap> backgroundBitmap = SkinImage("bg.png", percent);
    std::unique_ptr<MemoryBitmap> knobBitmap = SkinImage("knob.png", percent);
    std::unique_ptr<PixmanImage> background, knob, canvas;

    explicit PixmanEditor(int percent = 100) : percent(percent) {
        if (!backgroundBitmap || !knobBitmap) return;
        background = std::make_unique<PixmanImage>(*backgroundBitmap, false);
        knob = std::make_unique<PixmanImage>(*knobBitmap, true);
        canvas = std::make_unique<PixmanImage>(*backgroundBitmap, false);
        pixman_image_set_filter(knob->image, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    }
    // The knob turned about its centre, composited centred on (cx, cy) in editor units.
    void Knob(float angle, int cx, int cy) {
        const int x = Scaled(cx, percent) - knobBitmap->Width() / 2;
        const int y = Scaled(cy, percent) - knobBitmap->Height() / 2;
        knob->TurnAboutCentre(angle);
        pixman_image_composite32(PIXMAN_OP_OVER, knob->image, nullptr, canvas->image, 0, 0, 0, 0, x,
                                 y, knobBitmap->Width(), knobBitmap->Height());
    }
};

void FullRepaintPixman(benchmark::State& state, int percent) {
    PixmanEditor editor(percent);
    if (!editor.canvas) return state.SkipWithError("skin images missing");
    int64_t i = 0;
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_SRC, editor.background->image, nullptr,
                                 editor.canvas->image, 0, 0, 0, 0, 0, 0, Scaled(kWidth, percent),
                                 Scaled(kHeight, percent));
        for (int k = 0; k < kKnobs; ++k)
            editor.Knob(AngleFor(i, k), kCentres[k][0], kCentres[k][1]);
        ++i;
        benchmark::ClobberMemory();
    }
}

void KnobRepaintPixman(benchmark::State& state, int percent) {
    PixmanEditor editor(percent);
    if (!editor.canvas) return state.SkipWithError("skin images missing");
    const int cx = kCentres[3][0], cy = kCentres[3][1];
    const int left = Scaled(cx - 32, percent), top = Scaled(cy - 25, percent);
    int64_t i = 0;
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_SRC, editor.background->image, nullptr,
                                 editor.canvas->image, left, top, 0, 0, left, top,
                                 Scaled(64, percent), Scaled(73, percent));
        editor.Knob(AngleFor(i++, 0), cx, cy);
        benchmark::ClobberMemory();
    }
}

// Named <operation>_<library> for the ratio table; the 200 % runs are operations of
// their own.
void FullRepaint_tavrellion(benchmark::State& state) {
    FullRepaint(state, 100);
}
void FullRepaint_pixman(benchmark::State& state) {
    FullRepaintPixman(state, 100);
}
void FullRepaint200_tavrellion(benchmark::State& state) {
    FullRepaint(state, 200);
}
void FullRepaint200_pixman(benchmark::State& state) {
    FullRepaintPixman(state, 200);
}
void KnobRepaint_tavrellion(benchmark::State& state) {
    KnobRepaint(state, 100);
}
void KnobRepaint_pixman(benchmark::State& state) {
    KnobRepaintPixman(state, 100);
}
void KnobRepaint200_tavrellion(benchmark::State& state) {
    KnobRepaint(state, 200);
}
void KnobRepaint200_pixman(benchmark::State& state) {
    KnobRepaintPixman(state, 200);
}

BENCHMARK(FullRepaint_tavrellion);
BENCHMARK(FullRepaint_pixman);
BENCHMARK(FullRepaint200_tavrellion);
BENCHMARK(FullRepaint200_pixman);
BENCHMARK(KnobRepaint_tavrellion);
BENCHMARK(KnobRepaint_pixman);
BENCHMARK(KnobRepaint200_tavrellion);
BENCHMARK(KnobRepaint200_pixman);
BENCHMARK(LockHold_FullRepaint);

}  // namespace
}  // namespace tav::bench

int main(int argc, char** argv) {
    const int status = tav::bench::RunWithRatios(
        argc, argv, {"FullRepaint", "FullRepaint200", "KnobRepaint", "KnobRepaint200"}, {"pixman"});
    tav::FreeEditorCaches();
    return status;
}
