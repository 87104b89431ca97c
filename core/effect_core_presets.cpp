// Presets and state chunks of the plug-in core.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/effect_core.h"
#include "core/number_text.h"

namespace tav {

namespace {
constexpr const char* kUserPresetText = "user preset";
constexpr int32_t kParamBytes = 8;
}  // namespace

bool IEffectCore::WriteParams(StateChunk& chunk) {
    CoreLockGuard guard(&lock_);
    bool ok = true;
    for (int i = 0; i < ParamCount(); ++i) ok = chunk.PutF64(Param(i)->value) && ok;
    return ok && chunk.Size() > 0;
}

int32_t IEffectCore::ReadParams(const StateChunk& chunk, int32_t pos) {
    CoreLockGuard guard(&lock_);
    for (int i = 0; i < ParamCount() && pos >= 0; ++i) {
        double v = 0.0;
        pos = chunk.GetF64(pos, v);
        if (pos < 0) v = 0.0;
        Param(i)->SetClamped(v);
    }
    AllParamsChanged();
    return pos;
}

bool IEffectCore::CanReadParams(const StateChunk& chunk, int32_t pos) const {
    for (int i = 0; i < ParamCount(); ++i) {
        double v = 0.0;
        pos = chunk.GetF64(pos, v);
        if (pos < 0 || !std::isfinite(v)) return false;
    }
    return true;
}

bool IEffectCore::CanLoadState(const StateChunk& chunk, int32_t pos) const {
    return CanReadParams(chunk, pos);
}

bool IEffectCore::WriteBank(StateChunk& chunk) {
    CoreLockGuard guard(&lock_);
    for (int i = 0; i < PresetCount(); ++i) {
        const PresetSlot* preset = Preset(i);
        if (!chunk.PutString(preset->name) || !chunk.PutFlag(preset->initialised)) return false;
        if (preset->initialised) {
            chunk.PutBytes(preset->state.Data(), preset->state.Size());
            if (chunk.Size() == 0) return false;
        }
    }
    return true;
}

bool IEffectCore::CanReadBank(const StateChunk& chunk, int32_t pos) const {
    return BankEnd(chunk, pos) >= 0;
}

int32_t IEffectCore::BankEnd(const StateChunk& chunk, int32_t pos) const {
    for (int i = 0; i < PresetCount(); ++i) {
        int32_t length = 0;
        pos = chunk.GetInt32(pos, length);
        if (pos < 0 || length < 0 || !chunk.Fits(pos, length)) return -1;
        pos += length;
        bool initialised = false;
        pos = chunk.GetFlag(pos, initialised);
        if (pos < 0) return -1;
        if (initialised) {
            if (!CanReadParams(chunk, pos)) return -1;
            pos += ParamCount() * kParamBytes;
        }
    }
    return pos;
}

int32_t IEffectCore::DataEnd(int index, const StateChunk& chunk, int32_t& start, bool& bank) const {
    start = 0;
    int32_t magic = 0;
    int32_t version = 0;
    if (chunk.GetInt32(0, magic) == 4 && static_cast<uint32_t>(magic) == StateChunk::kMagic) {
        start = chunk.GetInt32(4, version);
        if (start < 0) return -1;  // the magic without a version: nothing to read
    }
    bank = index == 0 && version >= StateChunk::kVersion;
    if (bank) return BankEnd(chunk, start);
    return CanLoadState(chunk, start) ? start + ParamCount() * kParamBytes : -1;
}

int32_t IEffectCore::ChunkEnd(int index, const StateChunk& chunk) const {
    int32_t start = 0;
    bool bank = false;
    const int32_t end = DataEnd(index, chunk, start, bank);
    return end >= 0 ? ExtraStateEnd(chunk, end) : -1;
}

int32_t IEffectCore::ReadBank(const StateChunk& chunk, int32_t pos) {
    CoreLockGuard guard(&lock_);
    for (int i = 0; i < PresetCount() && pos >= 0; ++i) {
        PresetSlot* preset = Preset(i);
        int32_t length = 0;
        const int32_t textPos = chunk.GetInt32(pos, length);
        if (textPos < 0) {
            pos = -1;
            break;
        }
        const int32_t end = textPos + (length > 0 ? length : 0);
        if (length > 0 && chunk.Fits(textPos, length)) {
            const int32_t kept =
                length < PresetSlot::kNameSize ? length : PresetSlot::kNameSize - 1;
            std::memcpy(preset->name, chunk.Data() + textPos, static_cast<size_t>(kept));
            preset->name[kept] = '\0';
        } else {
            preset->name[0] = '\0';
        }
        bool initialised = preset->initialised;
        pos = chunk.Fits(textPos, length) ? chunk.GetFlag(end, initialised) : -1;
        if (pos < 0) break;
        preset->initialised = initialised;
        if (initialised) {
            // The preset keeps the values exactly as saved, so that a bank read and
            // written again comes out byte for byte; recalling it clamps them.
            const int32_t valuesPos = pos;
            pos = ReadParams(chunk, pos);
            if (pos > 0) preset->state.Assign(chunk.Data() + valuesPos, pos - valuesPos);
        }
    }
    SelectPreset(currentPreset_);
    return pos;
}

PresetSlot* IEffectCore::FirstFreePreset() const {
    for (int i = 0; i < PresetCount(); ++i) {
        if (!Preset(i)->initialised) return Preset(i);
    }
    return nullptr;
}

bool IEffectCore::FillPresetsFromCurrent(const char* name, int count) {
    CoreLockGuard guard(&lock_);
    bool ok = true;
    for (int n = 0; n < count; ++n) {
        PresetSlot* preset = FirstFreePreset();
        if (preset == nullptr) continue;
        preset->initialised = true;
        CopyText(preset->name, sizeof preset->name, name != nullptr ? name : "Default");
        ok = WriteParams(preset->state) && ok;
    }
    return ok;
}

bool IEffectCore::AddPreset(const char* name, std::span<const double> values) {
    CoreLockGuard guard(&lock_);
    PresetSlot* preset = FirstFreePreset();
    if (preset == nullptr) return false;
    preset->initialised = true;
    CopyText(preset->name, sizeof preset->name, name);
    bool ok = true;
    for (int i = 0; i < ParamCount(); ++i) {
        const double v = static_cast<size_t>(i) < values.size() ? values[i] : Param(i)->value;
        ok = preset->state.PutF64(v) && ok;
    }
    return ok;
}

void IEffectCore::EnsureDefaultPreset() {
    CoreLockGuard guard(&lock_);
    if (PresetCount() > 0) return;
    auto* preset = new PresetSlot();
    if (!presets_.Append(preset)) {
        delete preset;
        return;
    }
    preset->initialised = true;
    CopyText(preset->name, sizeof preset->name, "Default");
    WriteParams(preset->state);
}

bool IEffectCore::SelectPreset(int index) {
    CoreLockGuard guard(&lock_);
    PresetSlot* preset = Preset(index);
    if (preset == nullptr) return false;
    bool ok;
    if (preset->initialised) {
        // A stored state that would not read completely is left alone rather than
        // half-applied over the current values.
        ok = CanLoadState(preset->state, 0) && ReadParams(preset->state, 0) > 0;
    } else {
        preset->initialised = true;
        NextUserPresetName(preset->name, sizeof preset->name);
        preset->state.Clear();
        ok = WriteParams(preset->state);
    }
    if (ok) {
        currentPreset_ = index;
        PushParamsToEditor();
    }
    return ok;
}

void IEffectCore::StoreCurrentPreset(const char* name) {
    CoreLockGuard guard(&lock_);
    PresetSlot* preset = Preset(currentPreset_);
    if (preset == nullptr) return;
    preset->state.Clear();
    WriteParams(preset->state);
    if (name != nullptr && name[0] != '\0') CopyText(preset->name, sizeof preset->name, name);
}

void IEffectCore::NextUserPresetName(char* out, int outSize) const {
    if (out == nullptr || outSize <= 0) return;
    int count = 0;
    for (int i = 0; i < PresetCount(); ++i) {
        if (std::strstr(Preset(i)->name, kUserPresetText) != nullptr) ++count;
    }
    std::snprintf(out, static_cast<size_t>(outSize), "%s %d", kUserPresetText, count + 1);
}

const char* IEffectCore::PresetName(int index) const {
    const PresetSlot* preset = Preset(index);
    return preset != nullptr ? preset->name : "";
}

int32_t IEffectCore::GetChunk(int index, StateChunk& chunk, void** out) {
    CoreLockGuard guard(&lock_);
    if (out == nullptr) return 0;
    chunk.Clear();
    bool ok = chunk.PutHeader();
    if (index == 0) {
        StoreCurrentPreset(nullptr);
        ok = ok && WriteBank(chunk);
    } else {
        ok = ok && SaveState(chunk);
    }
    ok = ok && WriteExtraState(chunk);
    if (!ok || chunk.Size() == 0) return 0;
    *out = const_cast<uint8_t*>(chunk.Data());
    return chunk.Size();
}

int IEffectCore::SetChunk(int index, StateChunk& chunk, const void* bytes, int64_t size) {
    CoreLockGuard guard(&lock_);
    if (bytes == nullptr || size < 0 || size > kMaxChunkBytes) return 0;
    if (!chunk.Assign(bytes, static_cast<int32_t>(size))) return 0;

    // Reading is all-or-nothing: a chunk is checked completely, the effect's own
    // settings after its data too, before anything of the current state is touched.
    int32_t start = 0;
    bool bank = false;
    const int32_t end = DataEnd(index, chunk, start, bank);
    if (end < 0 || ExtraStateEnd(chunk, end) < 0) return 0;
    int32_t pos;
    if (bank) {
        pos = ReadBank(chunk, start);
    } else {
        pos = LoadState(chunk, start);
        StoreCurrentPreset(nullptr);
    }
    if (pos < 0) return 0;
    ApplyExtraState(chunk, end);
    PushParamsToEditor();
    return 1;
}

}  // namespace tav
