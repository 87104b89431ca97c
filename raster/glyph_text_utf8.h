#pragma once

#include <cstddef>
#include <cstdint>

namespace tav {

// Walks UTF-8 text one character at a time, leniently: a two- or three-byte sequence
// gives its 16-bit code, a four-byte sequence is consumed whole and reads as a space
// (the cache holds 16-bit codes only), and any other byte, a lead byte whose
// continuation bytes are missing included, stands for itself.
class Utf8Reader {
  public:
    Utf8Reader(const char* text, size_t size)
        : bytes_(reinterpret_cast<const uint8_t*>(text)), size_(text != nullptr ? size : 0) {}

    // The next character, or false at the end.
    bool Next(uint32_t* code);

  private:
    const uint8_t* bytes_;
    size_t size_;
    size_t at_ = 0;
};

// True if some lead byte 0xC2-0xF4 is followed by the continuation bytes its length
// needs (a four-byte lead is judged on the first two).
bool ContainsUtf8(const char* text, size_t size);

}  // namespace tav
