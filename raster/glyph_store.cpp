#include "raster/glyph_store.h"

#include <cstdlib>

namespace tav {

GlyphStore::~GlyphStore() {
    std::free(data_);
}

uint8_t* GlyphStore::Reserve(size_t size) {
    if (size > kMaxBytes - size_) return nullptr;
    const size_t needed = size_ + size;
    if (needed > capacity_) {
        size_t grown = capacity_ < 4096 ? 4096 : capacity_ + capacity_ / 2;
        if (grown < needed) grown = needed;
        if (grown > kMaxBytes) grown = kMaxBytes;
        auto* data = static_cast<uint8_t*>(std::realloc(data_, grown));
        if (data == nullptr) return nullptr;
        data_ = data;
        capacity_ = grown;
    }
    return data_ + size_;
}

}  // namespace tav
