// The painting operations: clipping, frames, missing bitmaps, text placement.
#include <cstdlib>
#include <functional>
#include <limits>

#include "editor/editor_caches.h"
#include "raster/blit_rotated.h"
#include "raster/memory_bitmap.h"
#include "tests/editor/editor_fixture.h"
#include "tests/raster/test_bitmaps.h"

namespace tav::test {
namespace {

constexpr Pixel kCanvasColour = 0xFF102030;
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

// Runs a test's drawing inside the draw pass, where controls draw.
class DrawingControl : public IControl {
  public:
    DrawingControl(IEffectCore* owner, std::function<bool(EditorSurface*)> draw)
        : IControl(owner, {0, 0, 1, 1}, -1), draw(std::move(draw)) {}
    bool Render(EditorSurface* surface) override { return result = draw(surface); }
    std::function<bool(EditorSurface*)> draw;
    bool result = false;
};

// A bitmap whose every pixel tells its position: a 2-frame 8 x 8 stack by default.
std::unique_ptr<MemoryBitmap> Numbered(int32_t w, int32_t h) {
    auto bitmap = std::make_unique<MemoryBitmap>(w, h, 4);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            bitmap->Pixels()[y * bitmap->RowPitch() + x] = 0xFF000000u | Pixel(y) << 8 | Pixel(x);
    return bitmap;
}

class SurfacePaintTest : public EditorFixture {
  protected:
    SurfacePaintTest() {
        surface->SetBitmapLoader([this](int number) -> RasterBitmap* {
            ++loads;
            return number == 7 ? Numbered(8, 16).release() : nullptr;
        });
        Fill(*surface->Canvas(), kCanvasColour);
    }
    // Draws through the pass over area; the control's rect covers the whole canvas.
    bool DrawIn(const PixelRect& area, std::function<bool(EditorSurface*)> draw) {
        auto* control = new DrawingControl(&core, std::move(draw));
        control->rect = {0, 0, 520, 335};
        surface->AddControl(control);
        surface->PaintRegion(area);
        control->hidden = true;
        return control->result;
    }
    Pixel At(int32_t x, int32_t y) const { return test::At(*surface->Canvas(), x, y); }
    // Counts canvas pixels that changed, inside and outside area.
    std::pair<int, int> Changed(const PixelRect& area) const {
        int inside = 0, outside = 0;
        for (int32_t y = 0; y < 335; ++y)
            for (int32_t x = 0; x < 520; ++x)
                if (At(x, y) != kCanvasColour) ++(area.Contains(x, y) ? inside : outside);
        return {inside, outside};
    }
    int loads = 0;
};

TEST_F(SurfacePaintTest, BitmapsAreLoadedOncePerProcess) {
    const BitmapRef a = surface->FetchBitmap(7, "img/x.png", 2);
    const BitmapRef b = surface->FetchBitmap(7, nullptr, 1);
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(a.bitmap, b.bitmap);
    EXPECT_EQ(a.width, 8);
    EXPECT_EQ(a.height, 16);
    EXPECT_EQ(a.frames, 2);
    EXPECT_EQ(b.frames, 1);
}

TEST_F(SurfacePaintTest, MissingBitmapGivesAnEmptyReferenceThatPaintsNothing) {
    const BitmapRef missing = surface->FetchBitmap(8, "img/none.png", 3);
    EXPECT_EQ(missing.width, 0);
    EXPECT_TRUE(missing.IsEmpty());
    EXPECT_EQ(CachedBitmapCount(), 0);
    surface->SetBackdrop(9, "img/bg.png");
    ASSERT_EQ(surface->ControlCount(), 1);
    EXPECT_TRUE(surface->Control(0)->rect.IsEmpty());

    const PixelRect all{0, 0, 520, 335};
    DrawIn(all, [&](EditorSurface* s) {
        s->BlitOffset(missing, all, 0, 0, nullptr);
        s->BlitFrame(missing, all, 2, nullptr, true);
        s->BlitSpun(missing, 100, 100, 1.0f, nullptr, 0, 0);
        s->BlitOffset(s->ExtractBitmapArea(missing, {0, 0, 4, 4}), all, 0, 0, nullptr);
        return true;
    });
    EXPECT_EQ(Changed(all), std::make_pair(0, 0));
}

TEST(SurfaceResources, AbsentOrEmptyImagesAreNotCached) {
    EditorTestCore core;
    HeadlessSurface surface(&core, 100, 100);
    EXPECT_TRUE(surface.FetchBitmap(31999, "img/none.png", 1).IsEmpty()) << "module resource";
    surface.SetBitmapLoader([](int) -> RasterBitmap* { return new MemoryBitmap(0, 5, 4); });
    EXPECT_TRUE(surface.FetchBitmap(31998, "img/empty.png", 1).IsEmpty()) << "empty image";
    EXPECT_EQ(CachedBitmapCount(), 0);
}

TEST_F(SurfacePaintTest, BackdropTakesIndexZeroAndPaintsOpaque) {
    AddProbe({0, 0, 4, 4}, -1, "first");
    surface->SetBackdrop(7, "img/bg.png");
    ASSERT_EQ(surface->ControlCount(), 2);
    const IControl* backdrop = surface->Control(0);
    EXPECT_EQ(backdrop->rect, (PixelRect{0, 0, 8, 16}));
    EXPECT_EQ(backdrop->blend.mode, BlendOpaque);
    EXPECT_EQ(backdrop->surface, surface);
    surface->PaintRegion({0, 0, 8, 16});
    EXPECT_EQ(At(3, 9), 0xFF000903u);
}

TEST_F(SurfacePaintTest, FramesAreCutFromTheStack) {
    const BitmapRef stack = surface->FetchBitmap(7, nullptr, 2);  // two 8 x 8 frames
    BitmapRef single = stack;
    single.frames = 1;
    const struct {
        const char* what;
        BitmapRef ref;
        int frame;
        Pixel topLeft;
    } cases[] = {
        {"frame 0 is the first", stack, 0, 0xFF000000},
        {"frame 1 is the first", stack, 1, 0xFF000000},
        {"frame 2 is the second", stack, 2, 0xFF000800},
        {"a one-frame bitmap", single, 2, 0xFF000000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DrawIn({0, 0, 520, 335}, [&](EditorSurface* s) {
            return s->BlitFrame(c.ref, {100, 100, 108, 108}, c.frame, nullptr, true);
        });
        EXPECT_EQ(At(100, 100), c.topLeft);
        EXPECT_EQ(At(107, 107), c.topLeft + 0x0707);
    }
}

TEST_F(SurfacePaintTest, DrawingStaysInsideTheCanvasAndThePassArea) {
    const BitmapRef bitmap = surface->FetchBitmap(7, nullptr, 1);
    const PixelRect area{100, 50, 300, 200};
    const PixelRect rects[] = {
        {90, 40, 110, 60},        {-50, -50, 600, 400},
        {kMin, kMin, kMax, kMax}, {kMax - 1, 0, kMax, 10},
        {kMin, 60, kMin + 5, 70}, {250, 150, 120, 60},
        {280, 190, 1000, 1000},   {0, 0, 0, 0},
    };
    BoxFont font;
    TextStyle style;
    style.cachedFont = &font;
    for (const PixelRect& r : rects) {
        SCOPED_TRACE(::testing::Message()
                     << r.left << "," << r.top << "," << r.right << "," << r.bottom);
        Fill(*surface->Canvas(), kCanvasColour);
        DrawIn(area, [&](EditorSurface* s) {
            s->BlitOffset(bitmap, r, 3, 2, nullptr);
            s->BlitOffset(bitmap, r, kMin, kMax, nullptr);
            s->BlitFrame(bitmap, r, kMax, nullptr, false);
            s->PaintFill(ArgbColor{255, 200, 0, 0}, r, nullptr);
            s->BlitSpun(bitmap, r.left, r.top, 0.7f, nullptr, 0, 0);
            s->BlitSpun(bitmap, r.right, r.bottom, 0.7f, nullptr, 0, 0);
            s->PaintText(style, "a long text that runs far past its box", r);
            return true;
        });
        EXPECT_EQ(Changed(area).second, 0);
    }
}

TEST_F(SurfacePaintTest, BlitsAreClippedToThePassArea) {
    const BitmapRef bitmap = surface->FetchBitmap(7, nullptr, 1);
    DrawIn({0, 0, 50, 50}, [&](EditorSurface* s) {
        return s->BlitOffset(bitmap, {200, 200, 208, 216}, 0, 0, nullptr);
    });
    EXPECT_EQ(Changed({0, 0, 520, 335}), std::make_pair(0, 0)) << "outside the area: nothing";

    DrawIn({102, 104, 520, 335}, [&](EditorSurface* s) {
        return s->BlitOffset(bitmap, {100, 100, 108, 116}, 0, 0, nullptr);
    });
    EXPECT_EQ(At(101, 104), kCanvasColour);
    EXPECT_EQ(At(102, 104), 0xFF000402u) << "source offset follows the clipped corner";
}

TEST_F(SurfacePaintTest, SpunBitmapClippedToTheAreaMatchesTheWholeTurn) {
    auto knob = std::make_unique<MemoryBitmap>(30, 30, 4);
    PaintKnob(*knob);
    const BitmapRef ref{AddCachedBitmap(70, std::move(knob)), 30, 30, 1};
    MemoryBitmap expected(520, 335, 4);
    Fill(expected, kCanvasColour);
    BlitRotated(&expected, ref.bitmap, 85, 45, 30, 30, 0, 0, 30, 30, 0.9f, false, 1.0f,
                CombineCopy | UseSourceAlpha | FilterBilinear, 0, 0);
    const PixelRect area{95, 40, 140, 62};
    DrawIn(area, [&](EditorSurface* s) { return s->BlitSpun(ref, 100, 60, 0.9f, nullptr, 0, 0); });
    // The turn steps through the clipped rows from another start, so a channel may
    // round one step apart.
    auto near = [](Pixel a, Pixel b) {
        for (int shift = 0; shift < 32; shift += 8)
            if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 1) return false;
        return true;
    };
    for (int32_t y = 30; y < 90; ++y)
        for (int32_t x = 80; x < 130; ++x)
            ASSERT_TRUE(area.Contains(x, y) ? near(At(x, y), test::At(expected, x, y))
                                            : At(x, y) == kCanvasColour)
                << x << "," << y;
}

TEST_F(SurfacePaintTest, TextFlagsFollowTheStyle) {
    BoxFont font;
    const struct {
        int32_t align;
        int32_t alpha;
        uint32_t flags;
    } cases[] = {
        {0, 255, TextNoClip},
        {1, 255, TextNoClip | TextCenter},
        {2, 255, TextNoClip | TextRight},
        {7, 255, TextNoClip | TextRight},
        {0, 128, TextNoClip | TextUseColourAlpha},
    };
    for (const auto& c : cases) {
        TextStyle style;
        style.cachedFont = &font;
        style.align = c.align;
        style.color = ArgbColor{c.alpha, 1, 2, 3};
        DrawIn({0, 0, 520, 335}, [&](EditorSurface* s) {
            return s->PaintText(style, "12.5 Hz", {10, 20, 90, 40});
        });
        EXPECT_EQ(font.lastFlags, c.flags) << "align " << c.align << " alpha " << c.alpha;
        EXPECT_EQ(font.foreground, style.color.Packed());
        EXPECT_EQ(font.lastRect, (PixelRect{10, 20, 90, 40}));
    }
    TextStyle style;
    style.cachedFont = &font;
    const int calls = font.calls;
    EXPECT_TRUE(DrawIn({0, 0, 520, 335}, [&](EditorSurface* s) {
        return s->PaintText(style, "", {0, 0, 9, 9});
    }));
    EXPECT_EQ(font.calls, calls) << "empty text draws nothing";
}

// The value box's style and the knobs' differ only in size: each needs a font of its own.
TEST_F(SurfacePaintTest, StylesOfAnotherSizeGetAnotherFont) {
    TextStyle box, knob;
    box.size = 14;
    knob.size = 15;
    const RasterFont* boxFont = surface->FontFor(box);
    const RasterFont* knobFont = surface->FontFor(knob);
    ASSERT_NE(boxFont, nullptr);
    ASSERT_NE(knobFont, nullptr);
    EXPECT_LT(boxFont->LineHeight(), knobFont->LineHeight());
}

TEST_F(SurfacePaintTest, ExtractedAreaIsACopyThatKeepsFrames) {
    const BitmapRef stack = surface->FetchBitmap(7, nullptr, 2);
    const int cached = CachedBitmapCount();
    const BitmapRef piece = surface->ExtractBitmapArea(stack, {2, 3, 6, 20});
    ASSERT_FALSE(piece.IsEmpty());
    EXPECT_EQ(piece.width, 4);
    EXPECT_EQ(piece.height, 13) << "cut to the source";
    EXPECT_EQ(piece.frames, 2);
    EXPECT_EQ(test::At(*piece.bitmap, 0, 0), 0xFF000302u);
    EXPECT_EQ(CachedBitmapCount(), cached + 1);
    EXPECT_TRUE(surface->ExtractBitmapArea(stack, {50, 50, 60, 60}).IsEmpty());
    EXPECT_TRUE(surface->ExtractBitmapArea(stack, {6, 6, 2, 2}).IsEmpty());
}

}  // namespace
}  // namespace tav::test
