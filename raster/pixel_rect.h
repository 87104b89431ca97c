#pragma once

#include <algorithm>
#include <cstdint>

namespace tav {

// Editor pixels, origin top-left, y downwards; right and bottom are exclusive.
// All four fields zero is the empty rectangle.
struct PixelRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    bool IsEmpty() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    bool Contains(int32_t x, int32_t y) const {
        return x >= left && x < right && y >= top && y < bottom;
    }
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

inline PixelRect Union(const PixelRect& a, const PixelRect& b) {
    if (a.IsEmpty()) return b;
    if (b.IsEmpty()) return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

inline PixelRect Intersection(const PixelRect& a, const PixelRect& b) {
    if (a.IsEmpty() || b.IsEmpty()) return {};
    if (!(a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom)) return {};
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

}  // namespace tav
