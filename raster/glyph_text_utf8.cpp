#include "raster/glyph_text_utf8.h"

namespace tav {
namespace {

bool IsContinuation(uint8_t b) {
    return (b & 0xC0u) == 0x80u;
}

// Continuation bytes that follow a lead byte, 0 for a byte that leads nothing.
size_t TrailLength(uint8_t lead) {
    if (lead >= 0xC2 && lead <= 0xDF) return 1;
    if (lead >= 0xE0 && lead <= 0xEF) return 2;
    if (lead >= 0xF0 && lead <= 0xF4) return 3;
    return 0;
}

bool HasTrail(const uint8_t* bytes, size_t size, size_t at, size_t trail) {
    if (size - at <= trail) return false;
    for (size_t i = 1; i <= trail; ++i)
        if (!IsContinuation(bytes[at + i])) return false;
    return true;
}

}  // namespace

bool Utf8Reader::Next(uint32_t* code) {
    if (at_ >= size_) return false;
    const uint8_t lead = bytes_[at_];
    const size_t trail = TrailLength(lead);
    if (trail == 0 || !HasTrail(bytes_, size_, at_, trail)) {
        *code = lead;
        at_ += 1;
        return true;
    }
    const uint8_t* b = bytes_ + at_;
    if (trail == 1)
        *code = (uint32_t{lead} & 0x1Fu) << 6 | (b[1] & 0x3Fu);
    else if (trail == 2)
        *code = (uint32_t{lead} & 0x0Fu) << 12 | (b[1] & 0x3Fu) << 6 | (b[2] & 0x3Fu);
    else
        *code = 32;
    at_ += trail + 1;
    return true;
}

bool ContainsUtf8(const char* text, size_t size) {
    if (text == nullptr) return false;
    const auto* bytes = reinterpret_cast<const uint8_t*>(text);
    for (size_t at = 0; at < size; ++at) {
        const size_t trail = TrailLength(bytes[at]);
        if (trail != 0 && HasTrail(bytes, size, at, trail < 3 ? trail : 2)) return true;
    }
    return false;
}

}  // namespace tav
