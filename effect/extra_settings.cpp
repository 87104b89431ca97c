#include "effect/extra_settings.h"

#include <cstring>

namespace tav {
namespace {

constexpr int32_t kTrailerVersion = 1;

}  // namespace

bool PutSettingTrailer(StateChunk& chunk, int setting, int step) {
    const uint8_t* tag = kSettingTrailerTags[setting];
    return chunk.PutBytes(tag, 4) && chunk.PutInt32(kTrailerVersion) && chunk.PutInt32(step);
}

int32_t SettingTrailerEnd(const StateChunk& chunk, int32_t pos, int setting, int& step) {
    if (pos < 0 || pos > chunk.Size() || !IsExtraSetting(setting)) return -1;
    // A tag cut short is a trailer cut short: only bytes that differ from it are
    // someone else's (hosts that pad a chunk pad it with zeros).
    const int32_t left = chunk.Size() - pos;
    const auto compared = static_cast<size_t>(left < 4 ? left : 4);
    if (compared == 0 ||
        std::memcmp(chunk.Data() + pos, kSettingTrailerTags[setting], compared) != 0)
        return pos;
    int32_t version = 0;
    int32_t value = 0;
    if (chunk.GetInt32(pos + 4, version) < 0 || chunk.GetInt32(pos + 8, value) < 0) return -1;
    if (version != kTrailerVersion || (value != 0 && value != 1)) return -1;
    step = value;
    return pos + kSettingTrailerSize;
}

int32_t ExtraSettingsEnd(const StateChunk& chunk, int32_t pos, int (&steps)[kExtraSettingCount]) {
    for (int setting = 0; setting < kExtraSettingCount && pos >= 0; ++setting) {
        steps[setting] = kExtraSettings[setting].defaultStep;
        pos = SettingTrailerEnd(chunk, pos, setting, steps[setting]);
    }
    return pos;
}

}  // namespace tav
