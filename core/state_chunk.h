#pragma once

#include <cstdint>

#include "core/heap_buffer.h"

namespace tav {

// Serialised state: an append-only little-endian byte stream for writing, read at
// explicit positions. Reads return the position after the item, or -1 when the
// item does not fit; a read at a negative position fails.
class StateChunk {
  public:
    static constexpr uint32_t kMagic = 0x70666674;  // bytes 74 66 66 70
    static constexpr int32_t kVersion = 0x00010000;

    StateChunk() = default;
    // Growth in steps of granularity bytes, as HeapBuffer's.
    explicit StateChunk(int32_t granularity) : buffer_(granularity) {}
    StateChunk(const StateChunk&) = delete;
    StateChunk& operator=(const StateChunk&) = delete;

    void Clear() { buffer_.SetSize(0); }
    int32_t Size() const { return buffer_.Size(); }
    const uint8_t* Data() const { return buffer_.Data(); }
    // Replaces the contents with a copy of size bytes; false when memory ran out.
    bool Assign(const void* bytes, int32_t size);

    bool PutInt32(int32_t v);
    bool PutF64(double v);
    bool PutFlag(bool v);
    bool PutString(const char* text);
    bool PutBytes(const void* bytes, int32_t count);
    bool PutHeader();

    int32_t GetInt32(int32_t pos, int32_t& out) const;
    int32_t GetF64(int32_t pos, double& out) const;
    int32_t GetFlag(int32_t pos, bool& out) const;
    bool Fits(int32_t pos, int32_t count) const;

  private:
    HeapBuffer buffer_{4096};
};

}  // namespace tav
