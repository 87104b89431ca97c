#pragma once

#include <cstddef>
#include <cstdint>

namespace tav {

// The coverage masks of one font, back to back in one growable block.
class GlyphStore {
  public:
    // Offsets are kept in 32 bits; the store stops growing well before that.
    static constexpr size_t kMaxBytes = size_t{64} << 20;

    GlyphStore() = default;
    GlyphStore(const GlyphStore&) = delete;
    GlyphStore& operator=(const GlyphStore&) = delete;
    ~GlyphStore();

    // Room for size more bytes at the end, or none if the store cannot grow. The bytes
    // belong to the store once Commit(size) is called.
    uint8_t* Reserve(size_t size);
    void Commit(size_t size) { size_ += size; }
    void Clear() { size_ = 0; }

    const uint8_t* Data() const { return data_; }
    size_t Size() const { return size_; }

  private:
    uint8_t* data_ = nullptr;
    size_t size_ = 0;
    size_t capacity_ = 0;
};

}  // namespace tav
