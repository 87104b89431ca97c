#pragma once

#include <algorithm>
#include <cstdint>

namespace tav {

// Columns [first, last) of a row.
struct Span {
    int32_t first = 0;
    int32_t last = 0;
    bool Empty() const { return first >= last; }
};

inline Span Intersect(Span a, Span b) {
    Span s{std::max(a.first, b.first), std::min(a.last, b.last)};
    return s.Empty() ? Span{} : s;
}

// The x in [0, count) with low <= start + x * step < high, in exact integers. Lets
// a row walk skip its per-pixel range checks where none can fail.
inline Span LinearSpan(int64_t start, int64_t step, int64_t low, int64_t high, int32_t count) {
    auto floorDiv = [](int64_t a, int64_t b) {  // b > 0
        const int64_t q = a / b;
        return (a % b != 0 && a < 0) ? q - 1 : q;
    };
    int64_t first = 0, last = count;
    if (step == 0) {
        if (start < low || start >= high) return {};
    } else if (step > 0) {
        first = std::max(first, -floorDiv(start - low, step));  // ceil((low - start) / step)
        last = std::min(last, -floorDiv(start - high, step));
    } else {
        first = std::max(first, floorDiv(start - high, -step) + 1);
        last = std::min(last, floorDiv(start - low, -step) + 1);
    }
    if (first >= last) return {};
    return {static_cast<int32_t>(first), static_cast<int32_t>(last)};
}

}  // namespace tav
