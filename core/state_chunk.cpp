#include "core/state_chunk.h"

#include <cstring>

namespace tav {

namespace {
uint64_t LoadLe(const uint8_t* p, int bytes) {
    uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}
void StoreLe(uint8_t* p, uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i, v >>= 8) p[i] = static_cast<uint8_t>(v & 0xFF);
}
}  // namespace

bool StateChunk::Assign(const void* bytes, int32_t size) {
    if (size < 0) return false;
    // Hosts hand back the very bytes a get-chunk gave them. Those are moved in
    // place (growing could reallocate under them), and never read past what we hold.
    const auto from = reinterpret_cast<uintptr_t>(bytes);
    const auto own = reinterpret_cast<uintptr_t>(buffer_.Data());
    if (own != 0 && from >= own && from < own + static_cast<uintptr_t>(buffer_.Size())) {
        if (static_cast<uintptr_t>(size) > own + static_cast<uintptr_t>(buffer_.Size()) - from) {
            return false;
        }
        std::memmove(buffer_.Data(), bytes, static_cast<size_t>(size));
        buffer_.SetSize(size);
        return true;
    }
    buffer_.SetSize(size);
    if (buffer_.Size() != size) return false;
    if (size > 0) std::memcpy(buffer_.Data(), bytes, static_cast<size_t>(size));
    return true;
}

bool StateChunk::PutInt32(int32_t v) {
    uint8_t bytes[4];
    StoreLe(bytes, static_cast<uint32_t>(v), 4);
    return buffer_.Append(bytes, 4);
}

bool StateChunk::PutF64(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    uint8_t bytes[8];
    StoreLe(bytes, bits, 8);
    return buffer_.Append(bytes, 8);
}

bool StateChunk::PutFlag(bool v) {
    const uint8_t byte = v ? 1 : 0;
    return buffer_.Append(&byte, 1);
}

bool StateChunk::PutString(const char* text) {
    if (text == nullptr) text = "";
    const auto n = static_cast<int32_t>(std::strlen(text));
    return PutInt32(n) && buffer_.Append(text, n);
}

bool StateChunk::PutBytes(const void* bytes, int32_t count) {
    return buffer_.Append(bytes, count);
}

bool StateChunk::PutHeader() {
    return PutInt32(static_cast<int32_t>(kMagic)) && PutInt32(kVersion);
}

bool StateChunk::Fits(int32_t pos, int32_t count) const {
    return pos >= 0 && count >= 0 && static_cast<int64_t>(pos) + count <= Size();
}

int32_t StateChunk::GetInt32(int32_t pos, int32_t& out) const {
    if (!Fits(pos, 4)) return -1;
    out = static_cast<int32_t>(static_cast<uint32_t>(LoadLe(buffer_.Data() + pos, 4)));
    return pos + 4;
}

int32_t StateChunk::GetF64(int32_t pos, double& out) const {
    if (!Fits(pos, 8)) return -1;
    const uint64_t bits = LoadLe(buffer_.Data() + pos, 8);
    std::memcpy(&out, &bits, 8);
    return pos + 8;
}

int32_t StateChunk::GetFlag(int32_t pos, bool& out) const {
    if (!Fits(pos, 1)) return -1;
    out = buffer_.Data()[pos] != 0;
    return pos + 1;
}

}  // namespace tav
