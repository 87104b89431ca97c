#pragma once

#include <cstdint>

namespace tav {

// A growable heap byte block. Growth reserves headroom so that buffers built one
// item at a time reallocate rarely; large buffers stay 96 bytes short of a 4 KiB
// multiple so the allocator's own header fits in the same pages.
class HeapBuffer {
  public:
    explicit HeapBuffer(int32_t granularity = 4096);
    ~HeapBuffer();
    HeapBuffer(const HeapBuffer&) = delete;
    HeapBuffer& operator=(const HeapBuffer&) = delete;

    // Sets the number of bytes in use and returns the data pointer (none for size 0).
    // On allocation failure, or when the size arithmetic would overflow, the buffer
    // stays exactly as it was: callers compare Size() with what they asked for.
    uint8_t* SetSize(int32_t newSize, bool allowShrink = false);

    // Appends bytes at the end; false (and nothing changed) when growth failed.
    bool Append(const void* bytes, int32_t count);

    uint8_t* Data() const { return size_ != 0 ? data_ : nullptr; }
    int32_t Size() const { return size_; }
    int32_t Capacity() const { return capacity_; }
    int32_t Granularity() const { return granularity_; }

  private:
    static int64_t GrownCapacity(int64_t newSize, int32_t granularity);

    uint8_t* data_ = nullptr;
    int32_t capacity_ = 0;
    int32_t size_ = 0;
    int32_t granularity_;
};

}  // namespace tav
