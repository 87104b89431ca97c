// The effect with its editor on the headless surface, the skin decoded from the test
// program's own resources, and pixel helpers for reading the canvas back.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "editor/headless_surface.h"
#include "effect/editor_layout.h"
#include "effect/phaser_effect.h"
#include "raster/blit.h"
#include "raster/png_resource.h"
#include "tests/support/recording_host.h"

namespace tav::test {

inline EditorSurface* MakeHeadlessEditor(IEffectCore& core) {
    return new HeadlessSurface(&core, kEditorWidth, kEditorHeight, 0);
}

class FaceEffect : public PhaserEffect<RecordingHost> {
  public:
    FaceEffect() : PhaserEffect(WithEditor{&MakeHeadlessEditor}) {}
    HeadlessSurface& Surface() const { return *static_cast<HeadlessSurface*>(Editor()); }
};

inline Pixel PixelAt(const RasterBitmap& bitmap, int x, int y) {
    return bitmap.Pixels()[static_cast<size_t>(y) * bitmap.RowPitch() + x] | 0xFF000000u;
}

// Pixels of area in a that differ from b at (bx, by) onwards by more than tolerance in
// any channel.
inline int CountDiffering(const RasterBitmap& a, const PixelRect& area, const RasterBitmap& b,
                          int bx, int by, int tolerance = 2) {
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            const Pixel p = PixelAt(a, x, y);
            const Pixel q = PixelAt(b, bx + x - area.left, by + y - area.top);
            for (int shift = 0; shift < 24; shift += 8) {
                const int d =
                    static_cast<int>((p >> shift) & 0xFF) - static_cast<int>((q >> shift) & 0xFF);
                if (d > tolerance || d < -tolerance) {
                    ++count;
                    break;
                }
            }
        }
    }
    return count;
}

inline int CountDiffering(const RasterBitmap& a, const RasterBitmap& b, const PixelRect& area) {
    return CountDiffering(a, area, b, area.left, area.top);
}

// A copy of a bitmap, to compare a canvas with its earlier self.
inline std::unique_ptr<MemoryBitmap> CopyOf(const RasterBitmap& bitmap) {
    auto copy = std::make_unique<MemoryBitmap>(bitmap.Width(), bitmap.Height(), 4);
    BlitBitmap(copy.get(), &bitmap, 0, 0, nullptr, 1.0f, CombineCopy);
    return copy;
}

// The platform calls of a kind ("web ", "value entry ") the surface has recorded.
inline std::vector<std::string> CallsOf(const HeadlessSurface& surface, const std::string& kind) {
    std::vector<std::string> found;
    for (const std::string& call : surface.calls)
        if (call.rfind(kind, 0) == 0) found.push_back(call.substr(kind.size()));
    return found;
}

// The skin as the module's resources hold it.
struct Skin {
    std::unique_ptr<MemoryBitmap> background = LoadPngResource(nullptr, SkinBackground);
    std::unique_ptr<MemoryBitmap> knob = LoadPngResource(nullptr, SkinKnob);
    std::unique_ptr<MemoryBitmap> mirror = LoadPngResource(nullptr, SkinMirrorButton);
    std::unique_ptr<MemoryBitmap> options = LoadPngResource(nullptr, SkinAccentOptions);
};

}  // namespace tav::test
