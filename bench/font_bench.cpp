// Font benchmark: the editor's ten knob value texts drawn from a warm glyph cache,
// against rendering the same strings with FreeType directly each time, in one run.
#include <benchmark/benchmark.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <memory>
#include <string>

#include "bench/ratio_reporter.h"
#include "raster/fill_area.h"
#include "raster/glyph_cache_font.h"
#include "raster/memory_bitmap.h"
#include "raster/native_font_posix.h"

namespace tav::bench {
namespace {

constexpr const char* kValueTexts[] = {"2500Hz", "60%", "30%", "1/2",  "80%",
                                       "440Hz",  "45%", "20%", "1/4D", "100%"};
constexpr Pixel kText = 0xFFE8E8E8;
constexpr int32_t kCanvasWidth = 520, kCanvasHeight = 335;

// Where knob i shows its value: a 50 x 15 strip under the knob.
PixelRect Strip(int i) {
    const int32_t x = 20 + (i % 5) * 100, y = 120 + (i / 5) * 150;
    return {x, y, x + 50, y + 15};
}

struct Scene {
    Scene() : canvas(kCanvasWidth, kCanvasHeight, 4) {
        FontRequest request;
        request.faceName = "Arial";
        request.height = 14;
        font.AttachFont(CreateNativeFont(request), FontOwnsHandle | FontPreferNative);
        font.SetForeground(kText);
        FillArea(&canvas, 0, 0, kCanvasWidth, kCanvasHeight, 0xFF202830, 1.0f, CombineCopy);
    }
    MemoryBitmap canvas;
    GlyphCacheFont font;
};

void KnobTexts_tavrellion(benchmark::State& state) {
    Scene scene;
    if (scene.font.FontHandle() == nullptr) return state.SkipWithError("no Arial");
    for (auto _ : state)
        for (int i = 0; i < 10; ++i) {
            PixelRect rect = Strip(i);
            scene.font.RenderText(&scene.canvas, kValueTexts[i], -1, &rect,
                                  TextNoClip | TextCenter);
        }
    benchmark::DoNotOptimize(scene.canvas.Pixels());
    state.SetItemsProcessed(state.iterations() * 10);
}
BENCHMARK(KnobTexts_tavrellion);

// The straightforward way: per string, hinted advances to centre it, then each glyph
// loaded, rasterised and blended (same blend rule as the cache's full-weight copy).
void KnobTexts_freetype(benchmark::State& state) {
    Scene scene;
    const auto* face = static_cast<const FreeTypeFont*>(scene.font.FontHandle());
    if (face == nullptr) return state.SkipWithError("no Arial");
    FT_Face ft = face->face;
    const int r = (kText >> 16) & 0xFF, g = (kText >> 8) & 0xFF, b = kText & 0xFF;
    for (auto _ : state)
        for (int i = 0; i < 10; ++i) {
            const PixelRect rect = Strip(i);
            int width = 0;
            for (const char* c = kValueTexts[i]; *c != '\0'; ++c)
                if (FT_Load_Char(ft, static_cast<unsigned char>(*c), FT_LOAD_DEFAULT) == 0)
                    width += static_cast<int>((ft->glyph->advance.x + 32) >> 6);
            int pen = rect.left + (rect.Width() - width) / 2;
            for (const char* c = kValueTexts[i]; *c != '\0'; ++c) {
                if (FT_Load_Char(ft, static_cast<unsigned char>(*c), FT_LOAD_RENDER) != 0) continue;
                const FT_Bitmap& bm = ft->glyph->bitmap;
                const int left = pen + ft->glyph->bitmap_left;
                const int top = rect.top + face->ascent - ft->glyph->bitmap_top;
                for (unsigned y = 0; y < bm.rows; ++y) {
                    const int py = top + static_cast<int>(y);
                    if (py < 0 || py >= kCanvasHeight) continue;
                    Pixel* row = scene.canvas.Pixels() + py * scene.canvas.RowPitch();
                    for (unsigned x = 0; x < bm.width; ++x) {
                        const int px = left + static_cast<int>(x);
                        const int v = bm.buffer[y * static_cast<unsigned>(bm.pitch) + x];
                        if (v == 0 || px < 0 || px >= kCanvasWidth) continue;
                        const Pixel d = row[px];
                        const int f = 255 - v;
                        auto mix = [f](int s, int dc) { return s + (dc - s) * f / 256; };
                        row[px] = static_cast<Pixel>(mix(255, int(d >> 24))) << 24 |
                                  static_cast<Pixel>(mix(r, int(d >> 16) & 0xFF)) << 16 |
                                  static_cast<Pixel>(mix(g, int(d >> 8) & 0xFF)) << 8 |
                                  static_cast<Pixel>(mix(b, int(d) & 0xFF));
                    }
                }
                pen += static_cast<int>((ft->glyph->advance.x + 32) >> 6);
            }
        }
    benchmark::DoNotOptimize(scene.canvas.Pixels());
    state.SetItemsProcessed(state.iterations() * 10);
}
BENCHMARK(KnobTexts_freetype);

}  // namespace
}  // namespace tav::bench

int main(int argc, char** argv) {
    return tav::bench::RunWithRatios(argc, argv, {"KnobTexts"}, {"freetype"});
}
