// Any bytes as UTF-8 text through the glyph cache, measured and drawn into small
// bitmaps with real platform fonts of odd sizes, hostile rectangles, layout
// flags and blends. Drawing that clips may change no pixel outside the
// rectangle, and nothing may touch the padding at the end of each row.
#include <fuzzer/FuzzedDataProvider.h>

#include <limits>
#include <memory>
#include <vector>

#include "raster/glyph_cache_font.h"
#include "raster/memory_bitmap.h"
#include "tests/fuzz/fuzz_check.h"

namespace tav::fuzz {
namespace {

// Fonts live for the whole run, as the editor's font cache keeps them.
GlyphCacheFont& FontFor(FuzzedDataProvider& in) {
    struct Face {
        const char* name;
        int height;
        int weight;
        bool italic;
        int orientation;
        int quality;
    };
    static const Face kFaces[] = {
        {"Arial", 14, 400, false, 0, 0},   {"Arial", 1, 700, false, 0, 2},
        {"Verdana", 40, 400, true, 0, 1},  {"DejaVu Sans", 7, 700, true, 0, 3},
        {"Arial", 11, 400, false, 900, 0}, {"No Such Face", 20, 400, false, 0, 0}};
    static std::unique_ptr<GlyphCacheFont> fonts[std::size(kFaces)];
    const size_t pick = in.ConsumeIntegralInRange<size_t>(0, std::size(kFaces) - 1);
    if (!fonts[pick]) {
        fonts[pick] = std::make_unique<GlyphCacheFont>();
        FontRequest request;
        request.faceName = kFaces[pick].name;
        request.height = kFaces[pick].height;
        request.weight = kFaces[pick].weight;
        request.italic = kFaces[pick].italic;
        request.orientationTenths = kFaces[pick].orientation;
        request.quality = kFaces[pick].quality;
        fonts[pick]->AttachFont(CreateNativeFont(request), FontOwnsHandle);
    }
    return *fonts[pick];
}

int32_t Coordinate(FuzzedDataProvider& in) {
    static const int32_t kInteresting[] = {0,
                                           1,
                                           -1,
                                           5,
                                           20,
                                           40,
                                           -40,
                                           std::numeric_limits<int32_t>::min(),
                                           std::numeric_limits<int32_t>::max()};
    if (in.ConsumeBool()) return in.PickValueInArray(kInteresting);
    return in.ConsumeIntegralInRange(-50, 50);
}

uint32_t Flags(FuzzedDataProvider& in) {
    static const uint32_t kUsed[] = {TextCenter,     TextRight,  TextVCenter,  TextBottom,
                                     TextSingleLine, TextNoClip, TextNoPrefix, TextUseColourAlpha};
    if (in.ConsumeIntegralInRange(0, 7) == 0) return in.ConsumeIntegral<uint32_t>() & ~TextCalcRect;
    uint32_t flags = 0;
    for (uint32_t flag : kUsed) flags |= in.ConsumeBool() ? flag : 0;
    return flags;
}

}  // namespace
}  // namespace tav::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tav;
    using namespace tav::fuzz;
    FuzzedDataProvider in(data, size);
    GlyphCacheFont& font = FontFor(in);
    font.SetForeground(in.ConsumeIntegral<Pixel>());
    font.SetBackground(in.ConsumeIntegral<Pixel>());
    font.SetBackgroundMode(in.ConsumeIntegralInRange(0, 3));
    static const float kWeights[] = {1.0f,  0.5f, 0.0f,
                                     -1.0f, 2.0f, std::numeric_limits<float>::quiet_NaN()};
    font.SetBlend(in.ConsumeIntegral<uint8_t>() | (in.ConsumeBool() ? UseSourceAlpha : 0),
                  in.PickValueInArray(kWeights));
    const uint32_t flags = Flags(in);
    PixelRect rect{Coordinate(in), Coordinate(in), Coordinate(in), Coordinate(in)};
    MemoryBitmap bitmap(in.ConsumeIntegralInRange(0, 40), in.ConsumeIntegralInRange(0, 24),
                        in.ConsumeIntegralInRange(0, 16));
    const bool counted = in.ConsumeBool();
    const std::string text = in.ConsumeRemainingBytesAsString();
    const int count = counted ? static_cast<int>(text.size()) : -1;

    PixelRect measured = rect;
    const int height =
        font.RenderText(nullptr, text.c_str(), count, &measured, flags | TextCalcRect);
    FUZZ_CHECK(height >= 0, "measured height " + std::to_string(height));
    FUZZ_CHECK(measured.left == rect.left && measured.top == rect.top,
               "measuring moved the corner");

    std::vector<Pixel> before;
    if (bitmap.Pixels() != nullptr) {
        for (int32_t i = 0; i < bitmap.RowPitch() * bitmap.Height(); ++i) {
            bitmap.Pixels()[i] = 0x12345678u + static_cast<Pixel>(i);
            before.push_back(bitmap.Pixels()[i]);
        }
    }
    PixelRect drawn = rect;
    font.RenderText(&bitmap, text.c_str(), count, &drawn, flags);
    const bool clipped = (flags & TextNoClip) == 0;
    for (int32_t y = 0; y < bitmap.Height() && !before.empty(); ++y) {
        for (int32_t x = 0; x < bitmap.RowPitch(); ++x) {
            const size_t at = static_cast<size_t>(y * bitmap.RowPitch() + x);
            const bool mayChange = x < bitmap.Width() && (!clipped || rect.Contains(x, y));
            FUZZ_CHECK(mayChange || bitmap.Pixels()[at] == before[at],
                       "pixel " + std::to_string(x) + "," + std::to_string(y) + " changed");
        }
    }
    return 0;
}
