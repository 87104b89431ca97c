#include "host/formats/fx_preset.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace tav {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t FourCC(const char (&c)[5]) {
    return (std::uint32_t{static_cast<std::uint8_t>(c[0])} << 24) |
           (std::uint32_t{static_cast<std::uint8_t>(c[1])} << 16) |
           (std::uint32_t{static_cast<std::uint8_t>(c[2])} << 8) |
           std::uint32_t{static_cast<std::uint8_t>(c[3])};
}

constexpr std::uint32_t kContainer = FourCC("CcnK");
constexpr std::uint32_t kFloatProgram = FourCC("FxCk");
constexpr std::uint32_t kFloatBank = FourCC("FxBk");
constexpr std::uint32_t kChunkProgram = FourCC("FPCh");
constexpr std::uint32_t kChunkBank = FourCC("FBCh");
constexpr size_t kNameSize = 28;
constexpr size_t kProgramHeader = 28 + kNameSize;  // then the values or the chunk
constexpr size_t kBankHeader = 28 + 128;           // then the programs or the chunk

void Put32(Bytes& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}

std::uint32_t Get32(const Bytes& in, size_t pos) {
    return (std::uint32_t{in[pos]} << 24) | (std::uint32_t{in[pos + 1]} << 16) |
           (std::uint32_t{in[pos + 2]} << 8) | std::uint32_t{in[pos + 3]};
}

bool Has(const Bytes& in, size_t pos, size_t count) {
    return pos <= in.size() && count <= in.size() - pos;
}

// The header up to the count; the size after "CcnK" is patched in by Finish.
void PutHeader(Bytes& out, HostedVst2& plugin, std::uint32_t kind, int count) {
    Put32(out, kContainer);
    Put32(out, 0);
    Put32(out, kind);
    Put32(out, 1);
    Put32(out, static_cast<std::uint32_t>(plugin.Effect()->uniqueID));
    Put32(out, static_cast<std::uint32_t>(plugin.Effect()->version));
    Put32(out, static_cast<std::uint32_t>(count));
}

void Finish(Bytes& out, size_t start) {
    const auto size = static_cast<std::uint32_t>(out.size() - start - 8);
    for (int i = 0; i < 4; ++i)
        out[start + 4 + static_cast<size_t>(i)] = static_cast<std::uint8_t>(size >> (24 - 8 * i));
}

void PutName(Bytes& out, const std::string& name) {
    char field[kNameSize] = {};
    std::memcpy(field, name.data(), std::min(name.size(), kNameSize - 1));
    out.insert(out.end(), field, field + kNameSize);
}

void PutChunk(Bytes& out, const Bytes& chunk) {
    Put32(out, static_cast<std::uint32_t>(chunk.size()));
    out.insert(out.end(), chunk.begin(), chunk.end());
}

// The current program's values: a whole "FxCk" container.
void PutFloatProgram(Bytes& out, HostedVst2& plugin) {
    const size_t start = out.size();
    PutHeader(out, plugin, kFloatProgram, plugin.NumParams());
    PutName(out, plugin.ProgramName(plugin.Program()));
    for (int i = 0; i < plugin.NumParams(); ++i) {
        const float unit = plugin.GetParameter(i);
        std::uint32_t raw = 0;
        std::memcpy(&raw, &unit, sizeof raw);
        Put32(out, raw);
    }
    Finish(out, start);
}

bool HasChunks(HostedVst2& plugin) {
    return (plugin.Effect()->flags & effFlagsProgramChunks) != 0;
}

std::string IdText(std::uint32_t id) {
    char text[32];
    std::snprintf(text, sizeof text, "'%c%c%c%c' (0x%08X)", static_cast<char>(id >> 24),
                  static_cast<char>(id >> 16), static_cast<char>(id >> 8), static_cast<char>(id),
                  static_cast<unsigned>(id));
    return text;
}

// The header of a container at pos that belongs to this plug-in.
struct Header {
    std::uint32_t kind = 0, version = 0, id = 0, count = 0;
};

bool ReadHeader(const Bytes& in, size_t pos, Header* h, std::string* error) {
    if (!Has(in, pos, 28) || Get32(in, pos) != kContainer) {
        *error = "not a VST 2 preset file (no \"CcnK\" header)";
        return false;
    }
    h->kind = Get32(in, pos + 8);
    h->version = Get32(in, pos + 12);
    h->id = Get32(in, pos + 16);
    h->count = Get32(in, pos + 24);
    return true;
}

bool ReadOwnHeader(HostedVst2& plugin, const Bytes& in, size_t pos, Header* h, std::string* error) {
    if (!ReadHeader(in, pos, h, error)) return false;
    const auto own = static_cast<std::uint32_t>(plugin.Effect()->uniqueID);
    if (h->id != own) {
        *error = "the file is for the plug-in " + IdText(h->id) + ", not for " + IdText(own);
        return false;
    }
    return true;
}

// A "FxCk" program at pos: checked, then applied when apply says so.
bool FloatProgram(HostedVst2& plugin, const Bytes& in, size_t pos, bool apply, size_t* length,
                  std::string* error) {
    Header h;
    if (!ReadOwnHeader(plugin, in, pos, &h, error)) return false;
    if (h.kind != kFloatProgram || h.count != static_cast<std::uint32_t>(plugin.NumParams())) {
        *error = "a program holds no " + std::to_string(plugin.NumParams()) + " parameter values";
        return false;
    }
    *length = kProgramHeader + 4 * size_t{h.count};
    if (!Has(in, pos, *length)) {
        *error = "the file ends inside a program";
        return false;
    }
    if (!apply) return true;
    for (int i = 0; i < plugin.NumParams(); ++i) {
        const std::uint32_t raw = Get32(in, pos + kProgramHeader + 4 * static_cast<size_t>(i));
        float unit = 0.0f;
        std::memcpy(&unit, &raw, sizeof unit);
        plugin.SetParameter(i, unit);
    }
    char name[kNameSize + 1] = {};
    std::memcpy(name, in.data() + pos + 28, kNameSize);
    plugin.Dispatch(effSetProgramName, 0, 0, name);
    return true;
}

bool LoadChunk(HostedVst2& plugin, FxFile file, const Bytes& in, std::string* error) {
    if (!HasChunks(plugin)) {
        *error = "the file holds a chunk, and the plug-in keeps its programs in none";
        return false;
    }
    const size_t at = file == FxFile::Bank ? kBankHeader : kProgramHeader;
    if (!Has(in, at, 4) || !Has(in, at + 4, Get32(in, at))) {
        *error = "the file ends inside its chunk";
        return false;
    }
    const Bytes chunk(in.begin() + static_cast<std::ptrdiff_t>(at + 4),
                      in.begin() + static_cast<std::ptrdiff_t>(at + 4 + Get32(in, at)));
    if (!plugin.SetChunk(file == FxFile::Bank, chunk)) {
        *error = "the plug-in refused the file's chunk";
        return false;
    }
    return true;
}

bool LoadFloatBank(HostedVst2& plugin, const Bytes& in, const Header& bank, std::string* error) {
    // Every program is checked before the first one is applied.
    for (int apply = 0; apply < 2; ++apply) {
        size_t pos = kBankHeader;
        for (std::uint32_t p = 0; p < bank.count; ++p) {
            size_t length = 0;
            if (p >= static_cast<std::uint32_t>(plugin.NumPrograms())) break;
            if (apply != 0) plugin.SetProgram(static_cast<int>(p));
            if (!FloatProgram(plugin, in, pos, apply != 0, &length, error)) return false;
            pos += length;
        }
    }
    // Version 2 banks say which program was current.
    const std::uint32_t current = bank.version >= 2 && Has(in, 28, 4) ? Get32(in, 28) : 0;
    plugin.SetProgram(current < bank.count ? static_cast<int>(current) : 0);
    return true;
}

}  // namespace

std::vector<std::uint8_t> SaveFx(HostedVst2& plugin, FxFile file) {
    Bytes out;
    if (file == FxFile::Program) {
        if (!HasChunks(plugin)) {
            PutFloatProgram(out, plugin);
            return out;
        }
        PutHeader(out, plugin, kChunkProgram, plugin.NumParams());
        PutName(out, plugin.ProgramName(plugin.Program()));
        PutChunk(out, plugin.GetChunk(false));
    } else {
        PutHeader(out, plugin, HasChunks(plugin) ? kChunkBank : kFloatBank, plugin.NumPrograms());
        out.resize(out.size() + 128);  // reserved
        if (HasChunks(plugin)) {
            PutChunk(out, plugin.GetChunk(true));
        } else {
            const int current = plugin.Program();
            for (int p = 0; p < plugin.NumPrograms(); ++p) {
                plugin.SetProgram(p);
                PutFloatProgram(out, plugin);
            }
            plugin.SetProgram(current);
        }
    }
    Finish(out, 0);
    return out;
}

bool CheckFxFile(FxFile file, const std::vector<std::uint8_t>& bytes, std::string* error) {
    Header h;
    if (!ReadHeader(bytes, 0, &h, error)) return false;
    const bool bank = h.kind == kFloatBank || h.kind == kChunkBank;
    const bool program = h.kind == kFloatProgram || h.kind == kChunkProgram;
    if (file == FxFile::Bank ? !bank : !program) {
        *error = file == FxFile::Bank ? "not a bank file (.fxb)" : "not a program file (.fxp)";
        return false;
    }
    return true;
}

bool LoadFx(HostedVst2& plugin, FxFile file, const std::vector<std::uint8_t>& bytes,
            std::string* error) {
    Header h;
    if (!CheckFxFile(file, bytes, error) || !ReadOwnHeader(plugin, bytes, 0, &h, error)) {
        return false;
    }
    if (h.kind == kChunkProgram || h.kind == kChunkBank)
        return LoadChunk(plugin, file, bytes, error);
    if (file == FxFile::Bank) return LoadFloatBank(plugin, bytes, h, error);
    size_t length = 0;
    return FloatProgram(plugin, bytes, 0, false, &length, error) &&
           FloatProgram(plugin, bytes, 0, true, &length, error);
}

}  // namespace tav
