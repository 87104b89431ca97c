#include "effect/sweep_sync_setting.h"

#include <cmath>
#include <cstring>

#include "core/number_text.h"

namespace tav {
namespace {

constexpr uint8_t kTag[4] = {'T', 'v', 'S', 'y'};
constexpr int32_t kTrailerVersion = 1;

}  // namespace

bool ParseSweepSyncText(const char* typed, SweepSync& sync) {
    if (typed == nullptr) return false;
    for (int i = 0; i < 2; ++i) {
        if (std::strcmp(typed, kSweepSyncTexts[i]) == 0) {
            sync = i == 1 ? SweepSync::Song : SweepSync::Free;
            return true;
        }
    }
    // A number, as hosts type for a list's index; words other than the two are refused
    // (ParseDecimal reads them as 0).
    const char* p = typed;
    while (*p == ' ' || *p == '\t') ++p;
    if (*p == '+' || *p == '-') ++p;
    if (*p == '.') ++p;
    if (*p < '0' || *p > '9') return false;
    const double x = ParseDecimal(typed);
    if (!std::isfinite(x)) return false;
    sync = SweepSyncOf(x);
    return true;
}

bool PutSweepSyncTrailer(StateChunk& chunk, SweepSync sync) {
    return chunk.PutBytes(kTag, sizeof kTag) && chunk.PutInt32(kTrailerVersion) &&
           chunk.PutInt32(sync == SweepSync::Song ? 1 : 0);
}

int32_t SweepSyncTrailerEnd(const StateChunk& chunk, int32_t pos, SweepSync& sync) {
    if (pos < 0 || pos > chunk.Size()) return -1;
    // A tag cut short is a trailer cut short: only bytes that differ from it are
    // someone else's (hosts that pad a chunk pad it with zeros).
    const int32_t left = chunk.Size() - pos;
    const auto compared = static_cast<size_t>(left < 4 ? left : 4);
    if (compared == 0 || std::memcmp(chunk.Data() + pos, kTag, compared) != 0) return pos;
    int32_t version = 0;
    int32_t value = 0;
    if (chunk.GetInt32(pos + 4, version) < 0 || chunk.GetInt32(pos + 8, value) < 0) return -1;
    if (version != kTrailerVersion || (value != 0 && value != 1)) return -1;
    sync = value == 1 ? SweepSync::Song : SweepSync::Free;
    return pos + kSweepSyncTrailerSize;
}

}  // namespace tav
