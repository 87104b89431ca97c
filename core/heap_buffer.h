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

    // Sets the size with room for exactly that many bytes, giving back any more: for
    // buffers sized in set-up calls, which the audio path then uses as they are.
    // When the block cannot be replaced, a larger one is kept (a smaller size still
    // succeeds); otherwise as SetSize.
    uint8_t* SetExactSize(int32_t newSize);

    // Makes room for bytes in all without headroom, the size unchanged: for items
    // whose number is known before they are appended. False when memory ran out.
    bool Reserve(int32_t bytes);

    uint8_t* Data() const { return size_ != 0 ? data_ : nullptr; }
    int32_t Size() const { return size_; }
    int32_t Capacity() const { return capacity_; }
    int32_t Granularity() const { return granularity_; }

  private:
    static int64_t GrownCapacity(int64_t newSize, int32_t granularity);
    // Moves the contents (up to keep bytes) to a block of exactly capacity bytes;
    // false, and the old block kept, when memory ran out.
    bool Reallocate(int32_t capacity, int32_t keep);

    uint8_t* data_ = nullptr;
    int32_t capacity_ = 0;
    int32_t size_ = 0;
    int32_t granularity_;
};

}  // namespace tav
