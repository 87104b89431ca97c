// Raster benchmarks: each of our operations next to the nearest pixman (or libspng)
// equivalent, in the same run, with the ratio of CPU times printed at the end.
#include <benchmark/benchmark.h>
#include <pixman.h>
#include <spng.h>

#include <memory>
#include <string>
#include <vector>

#include "bench/pixman_image.h"
#include "bench/raster_bench_images.h"
#include "bench/ratio_reporter.h"
#include "raster/blit.h"
#include "raster/blit_rotated.h"
#include "raster/fill_area.h"
#include "raster/png_loader.h"
#include "tests/raster/test_bitmaps.h"

namespace tav::bench {
namespace {

constexpr int32_t kKnobX = 233, kKnobY = 140;

// Angles cycle so that no call is a special case (0 would be a plain copy).
float AngleFor(int64_t i) {
    return 0.1f + static_cast<float>(i % 64) * 0.09f;
}

struct Images {
    MemoryBitmap knob{kKnobSide, kKnobSide, 4};
    MemoryBitmap background{kCanvasWidth, kCanvasHeight, 4};
    std::vector<uint8_t> png;
    Images() {
        test::PaintKnob(knob);  // the same knob the raster tests draw
        PaintBackground(background);
        png = EncodeRgbPng(background);
    }
};

const Images& TheImages() {
    static const Images images;
    return images;
}

void KnobRotated_tavrellion(benchmark::State& state) {
    const Images& images = TheImages();
    MemoryBitmap canvas(kCanvasWidth, kCanvasHeight, 4);
    BlitBitmap(&canvas, &images.background, 0, 0, nullptr, 1.0f, CombineCopy);
    int64_t i = 0;
    for (auto _ : state) {
        BlitRotated(&canvas, &images.knob, kKnobX, kKnobY, kKnobSide, kKnobSide, 0, 0, kKnobSide,
                    kKnobSide, AngleFor(i++), false, 1.0f,
                    CombineCopy | UseSourceAlpha | FilterBilinear, 0, 0);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kKnobSide * kKnobSide);
}

void KnobRotated_pixman(benchmark::State& state) {
    const Images& images = TheImages();
    PixmanImage knob(images.knob, true);
    PixmanImage canvas(images.background, false);
    pixman_image_set_filter(knob.image, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    int64_t i = 0;
    for (auto _ : state) {
        knob.TurnAboutCentre(AngleFor(i++));
        pixman_image_composite32(PIXMAN_OP_OVER, knob.image, nullptr, canvas.image, 0, 0, 0, 0,
                                 kKnobX, kKnobY, kKnobSide, kKnobSide);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kKnobSide * kKnobSide);
}

void OpaqueBlit_tavrellion(benchmark::State& state) {
    const Images& images = TheImages();
    MemoryBitmap canvas(kCanvasWidth, kCanvasHeight, 4);
    for (auto _ : state) {
        BlitBitmap(&canvas, &images.background, 0, 0, nullptr, 1.0f, CombineCopy);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kCanvasWidth * kCanvasHeight);
}

void OpaqueBlit_pixman(benchmark::State& state) {
    PixmanImage background(TheImages().background, false);
    PixmanImage canvas(kCanvasWidth, kCanvasHeight);
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_SRC, background.image, nullptr, canvas.image, 0, 0, 0, 0,
                                 0, 0, kCanvasWidth, kCanvasHeight);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kCanvasWidth * kCanvasHeight);
}

void HalfFill_tavrellion(benchmark::State& state) {
    MemoryBitmap canvas(kCanvasWidth, kCanvasHeight, 4);
    BlitBitmap(&canvas, &TheImages().background, 0, 0, nullptr, 1.0f, CombineCopy);
    for (auto _ : state) {
        FillArea(&canvas, 0, 0, kCanvasWidth, kCanvasHeight, 0xFF406080, 0.5f, CombineCopy);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kCanvasWidth * kCanvasHeight);
}

void HalfFill_pixman(benchmark::State& state) {
    PixmanImage canvas(TheImages().background, false);
    // The same colour at half opacity, premultiplied, composited OVER.
    const pixman_color_t colour = {0x4040 / 2, 0x6060 / 2, 0x8080 / 2, 0x8000};
    const pixman_rectangle16_t all = {0, 0, kCanvasWidth, kCanvasHeight};
    for (auto _ : state) {
        pixman_image_fill_rectangles(PIXMAN_OP_OVER, canvas.image, &colour, 1, &all);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kCanvasWidth * kCanvasHeight);
}

void DecodePng_tavrellion(benchmark::State& state) {
    const std::vector<uint8_t>& png = TheImages().png;
    for (auto _ : state) {
        auto bitmap = DecodePngMemory(png.data(), png.size());
        if (!bitmap) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(bitmap->Pixels());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(png.size()));
}

void DecodePng_libspng(benchmark::State& state) {
    const std::vector<uint8_t>& png = TheImages().png;
    std::vector<uint8_t> out(static_cast<size_t>(kCanvasWidth) * kCanvasHeight * 4);
    for (auto _ : state) {
        // A fresh context and output per image, as our decoder makes its own bitmap.
        spng_ctx* ctx = spng_ctx_new(0);
        spng_set_png_buffer(ctx, png.data(), png.size());
        std::unique_ptr<uint8_t[]> pixels(new uint8_t[out.size()]);
        if (spng_decode_image(ctx, pixels.get(), out.size(), SPNG_FMT_RGBA8, SPNG_DECODE_TRNS) != 0)
            state.SkipWithError("spng failed");
        spng_ctx_free(ctx);
        benchmark::DoNotOptimize(pixels.get());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(png.size()));
}

BENCHMARK(KnobRotated_tavrellion);
BENCHMARK(KnobRotated_pixman);
BENCHMARK(OpaqueBlit_tavrellion);
BENCHMARK(OpaqueBlit_pixman);
BENCHMARK(HalfFill_tavrellion);
BENCHMARK(HalfFill_pixman);
BENCHMARK(DecodePng_tavrellion);
BENCHMARK(DecodePng_libspng);

}  // namespace
}  // namespace tav::bench

int main(int argc, char** argv) {
    return tav::bench::RunWithRatios(
        argc, argv, {"KnobRotated", "OpaqueBlit", "HalfFill", "DecodePng"}, {"pixman", "libspng"});
}
