#include "vst3/utf16_text.h"

namespace tav::vst3 {
namespace {

// Decodes one UTF-8 sequence at text; returns its length (at least 1).
size_t DecodeUtf8(const unsigned char* text, char32_t& point) {
    const unsigned char lead = text[0];
    int extra = 0;
    if (lead < 0x80) {
        point = lead;
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        point = lead & 0x1F;
        extra = 1;
    } else if ((lead & 0xF0) == 0xE0) {
        point = lead & 0x0F;
        extra = 2;
    } else if ((lead & 0xF8) == 0xF0) {
        point = lead & 0x07;
        extra = 3;
    } else {
        point = 0xFFFD;
        return 1;
    }
    for (int i = 1; i <= extra; ++i) {
        if ((text[i] & 0xC0) != 0x80) {
            point = 0xFFFD;
            return static_cast<size_t>(i);
        }
        point = (point << 6) | (text[i] & 0x3F);
    }
    return static_cast<size_t>(extra) + 1;
}

}  // namespace

void ToUtf16(const char* text, TChar* out, size_t capacity) {
    if (out == nullptr || capacity == 0) return;
    size_t n = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(text != nullptr ? text : "");
    while (*p != 0 && n + 1 < capacity) {
        char32_t point = 0;
        p += DecodeUtf8(p, point);
        out[n++] = point > 0xFFFF ? u'\uFFFD' : static_cast<TChar>(point);
    }
    out[n] = 0;
}

void FromUtf16(const TChar* text, size_t maxUnits, char* out, size_t outSize) {
    if (out == nullptr || outSize == 0) return;
    size_t n = 0;
    for (size_t i = 0; text != nullptr && i < maxUnits && text[i] != 0; ++i) {
        const char32_t point = text[i];
        char bytes[3];
        size_t count = 0;
        if (point < 0x80) {
            bytes[count++] = static_cast<char>(point);
        } else if (point < 0x800) {
            bytes[count++] = static_cast<char>(0xC0 | (point >> 6));
            bytes[count++] = static_cast<char>(0x80 | (point & 0x3F));
        } else {
            bytes[count++] = static_cast<char>(0xE0 | (point >> 12));
            bytes[count++] = static_cast<char>(0x80 | ((point >> 6) & 0x3F));
            bytes[count++] = static_cast<char>(0x80 | (point & 0x3F));
        }
        if (n + count + 1 > outSize) break;
        for (size_t b = 0; b < count; ++b) out[n++] = bytes[b];
    }
    out[n] = '\0';
}

}  // namespace tav::vst3
