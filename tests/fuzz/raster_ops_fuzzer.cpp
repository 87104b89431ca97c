// The raster operations with hostile rectangles, weights, modes and angles on
// small bitmaps, a bitmap drawn onto itself included. Beyond what the address
// sanitizer sees, a blit or fill may change no pixel outside its clipped target,
// and nothing may touch the padding at the end of each row.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "raster/blit.h"
#include "raster/blit_rotated.h"
#include "raster/fill_area.h"
#include "raster/memory_bitmap.h"
#include "tests/fuzz/fuzz_check.h"

namespace tav::fuzz {
namespace {

int32_t Coordinate(FuzzedDataProvider& in) {
    static const int32_t kInteresting[] = {0,
                                           1,
                                           -1,
                                           2,
                                           15,
                                           16,
                                           17,
                                           -16,
                                           40,
                                           std::numeric_limits<int32_t>::min(),
                                           std::numeric_limits<int32_t>::max(),
                                           std::numeric_limits<int32_t>::max() - 8};
    if (in.ConsumeBool()) return in.PickValueInArray(kInteresting);
    return in.ConsumeIntegralInRange(-40, 40);
}

float Number(FuzzedDataProvider& in) {
    static const float kInteresting[] = {0.0f,
                                         1.0f,
                                         0.5f,
                                         0.25f,
                                         0.75f,
                                         -1.0f,
                                         2.0f,
                                         1e-7f,
                                         3.14159265f,
                                         1e9f,
                                         -1e9f,
                                         1e38f,
                                         std::numeric_limits<float>::infinity(),
                                         -std::numeric_limits<float>::infinity(),
                                         std::numeric_limits<float>::quiet_NaN()};
    if (in.ConsumeBool()) return in.PickValueInArray(kInteresting);
    return in.ConsumeFloatingPointInRange(-100.0f, 100.0f);
}

CombineMode Mode(FuzzedDataProvider& in) {
    static const CombineMode kModes[] = {0,     1,       2,       3,       4,       5,
                                         0xF0,  0xF6,    0xFF,    0x10000, 0x10001, 0x10002,
                                         0x100, 0x10100, 0x10102, 0x10103, 0x10005};
    if (in.ConsumeBool()) return in.PickValueInArray(kModes);
    return in.ConsumeIntegral<CombineMode>();
}

// Every pixel of the block, row padding included.
std::vector<Pixel> Snapshot(const MemoryBitmap& b) {
    if (b.Pixels() == nullptr) return {};
    const size_t count = static_cast<size_t>(b.RowPitch()) * static_cast<size_t>(b.Height());
    return std::vector<Pixel>(b.Pixels(), b.Pixels() + count);
}

struct Area {
    int64_t left, top, right, bottom;
    bool Contains(int64_t x, int64_t y) const {
        return x >= left && x < right && y >= top && y < bottom;
    }
};

Area Clip(Area a, const MemoryBitmap& b) {
    return {std::max<int64_t>(a.left, 0), std::max<int64_t>(a.top, 0),
            std::min<int64_t>(a.right, b.Width()), std::min<int64_t>(a.bottom, b.Height())};
}

void RequireOnlyInside(const std::vector<Pixel>& before, const MemoryBitmap& b, Area allowed,
                       const char* what) {
    if (before.empty()) return;
    for (int64_t y = 0; y < b.Height(); ++y) {
        for (int64_t x = 0; x < b.RowPitch(); ++x) {
            const size_t at = static_cast<size_t>(y * b.RowPitch() + x);
            const bool mayChange = x < b.Width() && allowed.Contains(x, y);
            FUZZ_CHECK(mayChange || before[at] == b.Pixels()[at],
                       std::string(what) + " changed pixel " + std::to_string(x) + "," +
                           std::to_string(y));
        }
    }
}

MemoryBitmap* Make(FuzzedDataProvider& in) {
    const int32_t width = in.ConsumeIntegralInRange(0, 33);
    const int32_t height = in.ConsumeIntegralInRange(0, 33);
    auto* bitmap = new MemoryBitmap(width, height, in.ConsumeIntegralInRange(0, 17));
    if (bitmap->Pixels() != nullptr) {
        const size_t count = static_cast<size_t>(bitmap->RowPitch()) * static_cast<size_t>(height);
        for (size_t i = 0; i < count; ++i)
            bitmap->Pixels()[i] = 0x80402010u * static_cast<Pixel>(i + 1);
    }
    return bitmap;
}

}  // namespace
}  // namespace tav::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tav;
    using namespace tav::fuzz;
    FuzzedDataProvider in(data, size);
    std::unique_ptr<MemoryBitmap> first(Make(in)), second(Make(in));
    for (int step = 0; step < 16 && in.remaining_bytes() > 0; ++step) {
        MemoryBitmap* destination = in.ConsumeBool() ? first.get() : second.get();
        MemoryBitmap* source = in.ConsumeBool() ? first.get() : second.get();
        const std::vector<Pixel> before = Snapshot(*destination);
        const int32_t x = Coordinate(in), y = Coordinate(in);
        const int32_t w = Coordinate(in), h = Coordinate(in);
        const float weight = Number(in);
        const CombineMode mode = Mode(in);
        switch (in.ConsumeIntegralInRange(0, 3)) {
            case 0: {
                const bool whole = in.ConsumeBool();
                PixelRect rect{Coordinate(in), Coordinate(in), Coordinate(in), Coordinate(in)};
                BlitBitmap(destination, source, x, y, whole ? nullptr : &rect, weight, mode);
                if (whole) rect = {0, 0, source->Width(), source->Height()};
                // The visible part of the source rectangle, moved to (x, y).
                const int64_t shiftX = int64_t{x} - rect.left, shiftY = int64_t{y} - rect.top;
                const Area seen = Clip({rect.left, rect.top, rect.right, rect.bottom}, *source);
                const Area target = Clip({seen.left + shiftX, seen.top + shiftY,
                                          seen.right + shiftX, seen.bottom + shiftY},
                                         *destination);
                RequireOnlyInside(before, *destination, target, "blit");
                break;
            }
            case 1: {
                const int32_t sourceX = Coordinate(in), sourceY = Coordinate(in);
                BlitBitmapRect(destination, source, x, y, sourceX, sourceY, w, h, weight, mode);
                const int64_t shiftX = int64_t{x} - sourceX, shiftY = int64_t{y} - sourceY;
                const Area seen =
                    Clip({sourceX, sourceY, int64_t{sourceX} + w, int64_t{sourceY} + h}, *source);
                const Area target = Clip({seen.left + shiftX, seen.top + shiftY,
                                          seen.right + shiftX, seen.bottom + shiftY},
                                         *destination);
                RequireOnlyInside(before, *destination, target, "rectangle blit");
                break;
            }
            case 2: {
                FillArea(destination, x, y, w, h, in.ConsumeIntegral<Pixel>(), weight, mode);
                const Area target = Clip({x, y, int64_t{x} + w, int64_t{y} + h}, *destination);
                RequireOnlyInside(before, *destination, target, "fill");
                break;
            }
            default: {
                const float sx = Number(in), sy = Number(in), sw = Number(in), sh = Number(in);
                const float angle = Number(in), cx = Number(in), cy = Number(in);
                BlitRotated(destination, source, x, y, w, h, sx, sy, sw, sh, angle,
                            in.ConsumeBool(), weight, mode, cx, cy);
                RequireOnlyInside(before, *destination,
                                  {0, 0, destination->Width(), destination->Height()},
                                  "rotated blit");
                break;
            }
        }
    }
    return 0;
}
