#include "core/plugin_state.h"

#include <cmath>
#include <cstring>

#include "core/number_text.h"

namespace tav {
namespace {

constexpr uint32_t FourCC(const char (&c)[5]) {
    return (static_cast<uint32_t>(static_cast<uint8_t>(c[0])) << 24) |
           (static_cast<uint32_t>(static_cast<uint8_t>(c[1])) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(c[2])) << 8) |
           static_cast<uint32_t>(static_cast<uint8_t>(c[3]));
}

constexpr uint32_t kTrailerMagic = FourCC("TvS3");
constexpr int32_t kTrailerVersion = 1;
constexpr size_t kTrailerSize = 16;
constexpr int64_t kChunkHeaderSize = 8;  // the chunk's magic and version

// A bounds-checked reader over the host's bytes.
class Bytes {
  public:
    Bytes(const uint8_t* data, size_t size) : data_(data), size_(data != nullptr ? size : 0) {}
    size_t Size() const { return size_; }
    const uint8_t* At(size_t pos) const { return data_ + pos; }
    bool Has(size_t pos, size_t count) const { return pos <= size_ && count <= size_ - pos; }
    bool Big32(size_t pos, uint32_t& out) const {
        if (!Has(pos, 4)) return false;
        out = (uint32_t{data_[pos]} << 24) | (uint32_t{data_[pos + 1]} << 16) |
              (uint32_t{data_[pos + 2]} << 8) | uint32_t{data_[pos + 3]};
        return true;
    }
    bool Little32(size_t pos, int32_t& out) const {
        if (!Has(pos, 4)) return false;
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = (v << 8) | data_[pos + static_cast<size_t>(i)];
        out = static_cast<int32_t>(v);
        return true;
    }
    Bytes From(size_t pos) const {
        return Has(pos, 0) ? Bytes(data_ + pos, size_ - pos) : Bytes(nullptr, 0);
    }

  private:
    const uint8_t* data_;
    size_t size_;
};

void PutLittle32(std::vector<uint8_t>& out, int32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i)));
}

// A VST 2 chunk without any container: one program when it has exactly the size
// of one (with or without the chunk header), else a bank, or a program with the
// effect's own settings after it when only that reads as all of the bytes. A
// damaged bank must not pass for a program: nearly any eight bytes read as a
// finite number.
bool LoadBareChunk(IEffectCore& core, StateChunk& scratch, Bytes bytes) {
    if (bytes.Size() == 0) return false;
    const auto size = static_cast<int64_t>(bytes.Size());
    const int64_t values = int64_t{8} * core.ParamCount();
    int index = size == values || size == values + kChunkHeaderSize ? 1 : 0;
    if (!scratch.Assign(bytes.At(0), static_cast<int32_t>(size))) return false;
    if (index == 0 && core.ChunkEnd(0, scratch) != size && core.ChunkEnd(1, scratch) == size)
        index = 1;
    // Nothing says how long the chunk is: it must be all of the bytes, or a damaged
    // state of ours (its trailer cut) would pass for a bare chunk.
    if (core.ChunkEnd(index, scratch) != size) return false;
    return core.SetChunk(index, scratch, bytes.At(0), size) != 0;
}

// The .fxp/.fxb header, big-endian: "CcnK", size, kind, version, id, id version, count.
struct ContainerHeader {
    uint32_t kind = 0;
    uint32_t version = 0;
    uint32_t id = 0;
    uint32_t count = 0;
};

constexpr size_t kProgramHeaderSize = 56;  // the header, then a 28-byte name
constexpr size_t kBankHeaderSize = 156;    // the header, then 128 reserved bytes

bool ReadContainerHeader(Bytes bytes, ContainerHeader& header) {
    uint32_t magic = 0;
    return bytes.Big32(0, magic) && magic == FourCC("CcnK") && bytes.Big32(8, header.kind) &&
           bytes.Big32(12, header.version) && bytes.Big32(16, header.id) &&
           bytes.Big32(24, header.count);
}

void ProgramName(Bytes bytes, char* out, size_t outSize) {
    char name[29] = {};
    std::memcpy(name, bytes.At(28), 28);
    CopyText(out, outSize, name);
}

// A program of float parameters ("FxCk") at the start of bytes: checked only.
bool CheckFloatProgram(IEffectCore& core, Bytes bytes, size_t& length) {
    ContainerHeader header;
    if (!ReadContainerHeader(bytes, header) || header.kind != FourCC("FxCk")) return false;
    if (header.id != static_cast<uint32_t>(core.UniqueId())) return false;
    if (header.count != static_cast<uint32_t>(core.ParamCount())) return false;
    length = kProgramHeaderSize + 4u * header.count;
    if (!bytes.Has(0, length)) return false;
    for (uint32_t i = 0; i < header.count; ++i) {
        uint32_t raw = 0;
        bytes.Big32(kProgramHeaderSize + 4u * i, raw);
        float unit = 0.0f;
        std::memcpy(&unit, &raw, sizeof unit);
        if (!std::isfinite(unit)) return false;
    }
    return true;
}

// Applies a checked float program to the current settings, as a VST 2 host
// does: the parameters one by one, then the program's name.
void ApplyFloatProgram(IEffectCore& core, Bytes bytes) {
    for (int i = 0; i < core.ParamCount(); ++i) {
        uint32_t raw = 0;
        bytes.Big32(kProgramHeaderSize + 4u * static_cast<size_t>(i), raw);
        float unit = 0.0f;
        std::memcpy(&unit, &raw, sizeof unit);
        core.ApplyHostParamChange(i, unit);
    }
    char name[PresetSlot::kNameSize] = {};
    ProgramName(bytes, name, sizeof name);
    core.StoreCurrentPreset(name);
}

bool LoadFloatBank(IEffectCore& core, Bytes bytes, const ContainerHeader& header) {
    // Check every program before the first is applied.
    size_t pos = kBankHeaderSize;
    for (uint32_t p = 0; p < header.count; ++p) {
        size_t length = 0;
        if (!CheckFloatProgram(core, bytes.From(pos), length)) return false;
        pos += length;
    }
    int current = 0;
    uint32_t stored = 0;
    if (header.version >= 2 && bytes.Big32(28, stored) && stored < header.count) {
        current = static_cast<int>(stored);
    }
    pos = kBankHeaderSize;
    for (uint32_t p = 0; p < header.count && static_cast<int>(p) < core.PresetCount(); ++p) {
        size_t length = 0;
        CheckFloatProgram(core, bytes.From(pos), length);
        core.SelectPreset(static_cast<int>(p));
        ApplyFloatProgram(core, bytes.From(pos));
        pos += length;
    }
    core.SelectPreset(current < core.PresetCount() ? current : 0);
    return true;
}

bool LoadContainer(IEffectCore& core, StateChunk& scratch, Bytes bytes) {
    ContainerHeader header;
    if (!ReadContainerHeader(bytes, header)) return false;
    if (header.id != static_cast<uint32_t>(core.UniqueId())) return false;
    uint32_t chunkSize = 0;
    if (header.kind == FourCC("FPCh") || header.kind == FourCC("FBCh")) {
        const bool bank = header.kind == FourCC("FBCh");
        const size_t at = bank ? kBankHeaderSize : kProgramHeaderSize;
        if (!bytes.Big32(at, chunkSize) || chunkSize == 0 || !bytes.Has(at + 4, chunkSize)) {
            return false;
        }
        if (core.SetChunk(bank ? 0 : 1, scratch, bytes.At(at + 4), chunkSize) == 0) return false;
        // A version 2 bank names its current program in its first reserved bytes.
        uint32_t current = 0;
        if (bank && header.version >= 2 && bytes.Big32(28, current) &&
            current < static_cast<uint32_t>(core.PresetCount())) {
            core.SelectPreset(static_cast<int>(current));
        }
        return true;
    }
    if (header.kind == FourCC("FxCk")) {
        size_t length = 0;
        if (!CheckFloatProgram(core, bytes, length)) return false;
        ApplyFloatProgram(core, bytes);
        return true;
    }
    if (header.kind == FourCC("FxBk")) return LoadFloatBank(core, bytes, header);
    return false;
}

bool LoadUnwrapped(IEffectCore& core, StateChunk& scratch, Bytes bytes) {
    uint32_t magic = 0;
    if (bytes.Big32(0, magic) && magic == FourCC("CcnK"))
        return LoadContainer(core, scratch, bytes);
    return LoadBareChunk(core, scratch, bytes);
}

}  // namespace

bool SavePluginState(IEffectCore& core, StateChunk& scratch, bool bypass,
                     std::vector<uint8_t>& out) {
    CoreLockGuard guard(&core.Lock());
    void* chunk = nullptr;
    const int32_t size = core.GetChunk(0, scratch, &chunk);
    if (size <= 0 || chunk == nullptr) return false;
    const auto* bytes = static_cast<const uint8_t*>(chunk);
    out.insert(out.end(), bytes, bytes + size);
    AppendStateTrailer(out, bypass, core.CurrentPreset());
    return true;
}

void AppendStateTrailer(std::vector<uint8_t>& out, bool bypass, int program) {
    PutLittle32(out, static_cast<int32_t>(kTrailerMagic));
    PutLittle32(out, kTrailerVersion);
    PutLittle32(out, bypass ? 1 : 0);
    PutLittle32(out, program);
}

bool LoadPluginState(IEffectCore& core, StateChunk& scratch, const uint8_t* data, size_t size,
                     LoadedState& loaded) {
    const Bytes bytes(data, size);
    if (bytes.Size() == 0 || bytes.Size() > kMaxStateBytes) {
        return false;
    }
    CoreLockGuard guard(&core.Lock());

    // Ours: a bank chunk and the trailer.
    int32_t magic = 0;
    int32_t version = 0;
    int32_t bypass = 0;
    int32_t program = 0;
    const size_t trailer = bytes.Size() >= kTrailerSize ? bytes.Size() - kTrailerSize : 0;
    if (bytes.Size() > kTrailerSize && bytes.Little32(trailer, magic) &&
        static_cast<uint32_t>(magic) == kTrailerMagic) {
        bytes.Little32(trailer + 4, version);
        bytes.Little32(trailer + 8, bypass);
        bytes.Little32(trailer + 12, program);
        if (version < 1 || (bypass != 0 && bypass != 1)) return false;
        if (!scratch.Assign(bytes.At(0), static_cast<int32_t>(trailer)) ||
            core.ChunkEnd(0, scratch) != static_cast<int32_t>(trailer) ||
            core.SetChunk(0, scratch, bytes.At(0), static_cast<int64_t>(trailer)) == 0) {
            return false;
        }
        // The bank kept the current settings in the current program's slot.
        if (program >= 0 && program < core.PresetCount()) core.SelectPreset(program);
        loaded.hasBypass = true;
        loaded.bypass = bypass != 0;
        return true;
    }

    // A wrapper's header: "VstW", size of the rest of the header, version, bypass.
    uint32_t wrapper = 0;
    uint32_t headerSize = 0;
    uint32_t wrappedBypass = 0;
    if (bytes.Big32(0, wrapper) && wrapper == FourCC("VstW")) {
        if (!bytes.Big32(4, headerSize) || headerSize < 8 || !bytes.Has(8, headerSize) ||
            !bytes.Big32(12, wrappedBypass)) {
            return false;
        }
        if (!LoadUnwrapped(core, scratch, bytes.From(8 + headerSize))) return false;
        loaded.hasBypass = true;
        loaded.bypass = wrappedBypass != 0;
        return true;
    }
    return LoadUnwrapped(core, scratch, bytes);
}

}  // namespace tav
