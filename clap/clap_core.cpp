#include "clap/clap_core.h"

#include <cmath>

#include "effect/sweep_sync_setting.h"

namespace tav::clap {

void ClapCore::Queue(uint16_t type, int index, double unit) {
    CoreLockGuard guard(&Lock());
    // A full queue keeps the latest values: the host still learns where they ended.
    if (pendingCount_ == kMaxPendingEdits) {
        if (type != CLAP_EVENT_PARAM_VALUE) return;
        pendingCount_ = 0;
    }
    pending_[pendingCount_++] = PendingEdit{type, static_cast<clap_id>(index), unit};
    if (notice_ != nullptr) notice_(noticeContext_);
}

void ClapCore::HostBeginEdit(int index) {
    EndPendingEdit();
    Queue(CLAP_EVENT_PARAM_GESTURE_BEGIN, index, 0.0);
}

void ClapCore::HostAutomate(int index, double unit) {
    Queue(CLAP_EVENT_PARAM_VALUE, index, unit);
}

void ClapCore::HostEndEdit(int index) {
    Queue(CLAP_EVENT_PARAM_GESTURE_END, index, 0.0);
}

// The host learns of it as of any edit of the editor's: one gesture with its value.
void ClapCore::HostSettingEdited(int setting, double value) {
    if (setting != kSweepSyncSetting) return;
    const int id = static_cast<int>(kSweepSyncParamId);
    Queue(CLAP_EVENT_PARAM_GESTURE_BEGIN, id, 0.0);
    Queue(CLAP_EVENT_PARAM_VALUE, id, value);
    Queue(CLAP_EVENT_PARAM_GESTURE_END, id, 0.0);
}

void ClapCore::SetTransport(const clap_event_transport* transport) {
    ClearTransport();
    if (transport == nullptr) return;
    if ((transport->flags & CLAP_TRANSPORT_HAS_TEMPO) != 0) SetTempo(transport->tempo);
    if ((transport->flags & CLAP_TRANSPORT_HAS_TIME_SIGNATURE) != 0)
        SetTimeSignature(transport->tsig_num, transport->tsig_denom);
    constexpr uint32_t kPlayingWithBeats =
        CLAP_TRANSPORT_IS_PLAYING | CLAP_TRANSPORT_HAS_BEATS_TIMELINE;
    if ((transport->flags & kPlayingWithBeats) == kPlayingWithBeats)
        SetSongBeats(static_cast<double>(transport->song_pos_beats) / CLAP_BEATTIME_FACTOR);
    if ((transport->flags & CLAP_TRANSPORT_HAS_SECONDS_TIMELINE) != 0) {
        const double frames = std::floor(static_cast<double>(transport->song_pos_seconds) /
                                             CLAP_SECTIME_FACTOR * SampleRate() +
                                         0.5);
        // Beyond what the position can hold, either way: it saturates.
        SetSamplePosition(!(frames > 0.0) ? 0
                          : frames < 4e18 ? static_cast<int64_t>(frames)
                                          : int64_t{1} << 62);
    }
}

}  // namespace tav::clap
