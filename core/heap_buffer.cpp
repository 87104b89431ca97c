#include "core/heap_buffer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace tav {

HeapBuffer::HeapBuffer(int32_t granularity) : granularity_(granularity > 0 ? granularity : 4096) {}

HeapBuffer::~HeapBuffer() {
    std::free(data_);
}

int64_t HeapBuffer::GrownCapacity(int64_t newSize, int32_t granularity) {
    if (newSize == 0) return 0;
    if (granularity < 4096) return newSize + std::max<int64_t>(newSize / 2, granularity);
    int64_t g = std::max<int64_t>(newSize / 2, granularity) / 4096 * 4096;
    g = std::clamp<int64_t>(g, 4096, 4194304);
    return (newSize + g + 96) / 4096 * 4096 - 96;
}

uint8_t* HeapBuffer::SetSize(int32_t newSize, bool allowShrink) {
    if (newSize < 0) newSize = 0;
    if (newSize == size_ && !(allowShrink && newSize < capacity_ / 2)) return Data();

    int32_t shrinkBelow = 0;
    if (allowShrink && newSize < size_) {
        shrinkBelow = std::max(1, std::min(capacity_ / 2, capacity_ - 4 * granularity_));
    }
    if (newSize > capacity_ || newSize < shrinkBelow) {
        const int64_t newCapacity = GrownCapacity(newSize, granularity_);
        if (newCapacity > std::numeric_limits<int32_t>::max()) return Data();
        if (!Reallocate(static_cast<int32_t>(newCapacity), newSize)) return Data();
    }
    size_ = newSize;
    return Data();
}

bool HeapBuffer::Reallocate(int32_t capacity, int32_t keep) {
    if (capacity == 0) {
        std::free(data_);
        data_ = nullptr;
        capacity_ = 0;
        size_ = 0;
        return true;
    }
    auto* block = static_cast<uint8_t*>(std::realloc(data_, static_cast<size_t>(capacity)));
    if (block == nullptr) {
        // realloc may fail where a fresh block still fits; the old block is intact.
        block = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(capacity)));
        if (block == nullptr) return false;
        if (data_ != nullptr) std::memcpy(block, data_, std::min(size_, keep));
        std::free(data_);
    }
    data_ = block;
    capacity_ = capacity;
    return true;
}

uint8_t* HeapBuffer::SetExactSize(int32_t newSize) {
    if (newSize < 0) newSize = 0;
    if (newSize != capacity_ && !Reallocate(newSize, newSize) && newSize > capacity_) return Data();
    size_ = newSize;
    return Data();
}

bool HeapBuffer::Reserve(int32_t bytes) {
    return bytes <= capacity_ || Reallocate(bytes, size_);
}

bool HeapBuffer::Append(const void* bytes, int32_t count) {
    if (count <= 0) return count == 0;
    const int64_t wanted = static_cast<int64_t>(size_) + count;
    if (wanted > std::numeric_limits<int32_t>::max()) return false;
    const int32_t oldSize = size_;
    SetSize(static_cast<int32_t>(wanted));
    if (size_ != wanted) return false;
    if (bytes != nullptr) {
        std::memcpy(data_ + oldSize, bytes, static_cast<size_t>(count));
    } else {
        std::memset(data_ + oldSize, 0, static_cast<size_t>(count));
    }
    return true;
}

}  // namespace tav
