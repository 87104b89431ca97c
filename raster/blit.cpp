#include "raster/blit.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "raster/bitmap_rows.h"
#include "raster/channel_math.h"
#include "raster/pixel_combiner.h"

namespace tav {
namespace {

constexpr Pixel kHalfMask = 0x7F7F7F7F;

// One row routine per call; the loops stay free of per-pixel mode decisions.
struct RowOp {
    enum Kind { Copy, Half, Channel, Combine } kind = Copy;
    int dstShift = 0;
    int srcShift = 0;
    PixelCombiner combiner = nullptr;
    int w = 0;

    void Run(Pixel* d, const Pixel* s, int32_t count) const {
        switch (kind) {
            case Copy:
                std::memmove(d, s, static_cast<size_t>(count) * sizeof(Pixel));
                break;
            case Half:
                for (int32_t i = 0; i < count; ++i)
                    d[i] = ((s[i] >> 1) & kHalfMask) + ((d[i] >> 1) & kHalfMask);
                break;
            case Channel: {
                const Pixel keep = ~(Pixel{0xFF} << dstShift);
                for (int32_t i = 0; i < count; ++i)
                    d[i] = (d[i] & keep) | (((s[i] >> srcShift) & 0xFFu) << dstShift);
                break;
            }
            case Combine:
                for (int32_t i = 0; i < count; ++i) {
                    const Pixel p = s[i];
                    combiner(d + i, channel::Get(p, 2), channel::Get(p, 1), channel::Get(p, 0),
                             channel::Get(p, 3), w);
                }
                break;
        }
    }
};

bool ChooseRowOp(float weight, CombineMode mode, RowOp* op) {
    const CombineMode operation = mode & kCombineOperationMask;
    if (operation >= CombineChannelCopy) {
        op->kind = RowOp::Channel;
        op->dstShift = 8 * static_cast<int>((operation >> 2) & 3);
        op->srcShift = 8 * static_cast<int>(operation & 3);
        return true;
    }
    const CombineMode rule = mode & kCombineRuleMask;
    if (rule == CombineCopy && weight == 1.0f) {
        op->kind = RowOp::Copy;
        return true;
    }
    if (rule == CombineCopy && weight == 0.5f) {
        op->kind = RowOp::Half;
        return true;
    }
    op->w = WeightToInt(weight);
    if (op->w == 0) return false;
    op->kind = RowOp::Combine;
    op->combiner = SelectCombiner(rule, op->w);
    return op->combiner != nullptr;
}

}  // namespace

void BlitBitmap(RasterBitmap* destination, const RasterBitmap* source, int32_t x, int32_t y,
                const PixelRect* sourceRect, float weight, CombineMode mode) {
    if (destination == nullptr || source == nullptr || weight == 0.0f) return;

    // 64-bit so that extreme coordinates cannot wrap around during clipping.
    int64_t dx = x, dy = y, sx = 0, sy = 0;
    int64_t right = source->Width(), bottom = source->Height();
    if (sourceRect != nullptr) {
        sx = sourceRect->left;
        sy = sourceRect->top;
        right = std::min<int64_t>(sourceRect->right, right);
        bottom = std::min<int64_t>(sourceRect->bottom, bottom);
        if (sx < 0) dx -= sx, sx = 0;
        if (sy < 0) dy -= sy, sy = 0;
    }
    if (dx < 0) sx -= dx, dx = 0;
    if (dy < 0) sy -= dy, dy = 0;
    const int64_t destWidth = destination->Width(), destHeight = destination->Height();
    if (!(sx < right && sy < bottom && dx < destWidth && dy < destHeight)) return;
    right = std::min(right, sx + destWidth - dx);
    bottom = std::min(bottom, sy + destHeight - dy);
    if (right <= sx || bottom <= sy) return;
    const auto width = static_cast<int32_t>(right - sx);
    const auto height = static_cast<int32_t>(bottom - sy);

    const BitmapRows dst = BitmapRows::Of(*destination);
    const BitmapRows src = BitmapRows::Of(*source);
    if (dst.first == nullptr || src.first == nullptr) return;
    RowOp op;
    if (!ChooseRowOp(weight, mode, &op)) return;

    if (destination->Pixels() != source->Pixels()) {
        for (int32_t r = 0; r < height; ++r)
            op.Run(dst.Row(dy + r) + dx, src.Row(sy + r) + sx, width);
        return;
    }
    // Same pixels: read each source row before it can be overwritten, walking rows
    // away from the direction the block moves.
    std::vector<Pixel> row(static_cast<size_t>(width));
    const bool upward = dy > sy;
    for (int32_t i = 0; i < height; ++i) {
        const int32_t r = upward ? height - 1 - i : i;
        std::memcpy(row.data(), src.Row(sy + r) + sx, row.size() * sizeof(Pixel));
        op.Run(dst.Row(dy + r) + dx, row.data(), width);
    }
}

void BlitBitmapRect(RasterBitmap* destination, const RasterBitmap* source, int32_t x, int32_t y,
                    int32_t sourceX, int32_t sourceY, int32_t width, int32_t height, float weight,
                    CombineMode mode) {
    // Saturate so that a huge width cannot wrap the right edge to the left of the start.
    auto edge = [](int32_t start, int32_t extent) {
        const int64_t e = int64_t{start} + extent;
        return static_cast<int32_t>(std::clamp<int64_t>(e, INT32_MIN, INT32_MAX));
    };
    const PixelRect rect{sourceX, sourceY, edge(sourceX, width), edge(sourceY, height)};
    BlitBitmap(destination, source, x, y, &rect, weight, mode);
}

}  // namespace tav
