#include "clap/clap_core.h"

#include <algorithm>
#include <cmath>

namespace tav::clap {

void ClapCore::KeepEdit(const PendingEdit& edit) {
    if (pendingCount_ == kMaxPendingEdits) Compact();
    pending_[pendingCount_++] = edit;
}

// A host that does not flush for a long time: each parameter's events fold into
// what the host must still learn of it, in the order it must learn it: the end of
// a gesture it saw begin, the last value, a gesture still running. Values fold,
// never a begin or an end, so the gestures the host sees stay balanced; at most
// three events remain per parameter, and parameters are far fewer than the room.
void ClapCore::Compact() {
    PendingEdit folded[kMaxPendingEdits];
    int count = 0;
    for (int i = 0; i < pendingCount_; ++i) {
        const clap_id id = pending_[i].id;
        bool seen = false;
        for (int k = 0; k < i && !seen; ++k) seen = pending_[k].id == id;
        if (seen) continue;
        bool endsEarlier = false;  // a gesture that began before these events
        bool began = false;
        bool open = false;  // a gesture these events leave running
        bool hasValue = false;
        double last = 0.0;
        for (int k = i; k < pendingCount_; ++k) {
            const PendingEdit& edit = pending_[k];
            if (edit.id != id) continue;
            if (edit.type == CLAP_EVENT_PARAM_VALUE) {
                hasValue = true;
                last = edit.unit;
            } else if (edit.type == CLAP_EVENT_PARAM_GESTURE_BEGIN) {
                began = open = true;
            } else if (open) {
                open = false;
            } else {
                endsEarlier = true;
            }
        }
        const auto put = [&](uint16_t type, double unit) { folded[count++] = {type, id, unit}; };
        if (began && !endsEarlier) put(CLAP_EVENT_PARAM_GESTURE_BEGIN, 0.0);
        if (hasValue) put(CLAP_EVENT_PARAM_VALUE, last);
        if (endsEarlier || (began && !open)) put(CLAP_EVENT_PARAM_GESTURE_END, 0.0);
        if (endsEarlier && open) put(CLAP_EVENT_PARAM_GESTURE_BEGIN, 0.0);
    }
    std::copy(folded, folded + count, pending_);
    pendingCount_ = count;
}

void ClapCore::SetTransport(const clap_event_transport* transport) {
    BlockTransport block;
    if (transport != nullptr) {
        if ((transport->flags & CLAP_TRANSPORT_HAS_TEMPO) != 0) block.tempo = transport->tempo;
        if ((transport->flags & CLAP_TRANSPORT_HAS_TIME_SIGNATURE) != 0) {
            block.timeSigNumerator = transport->tsig_num;
            block.timeSigDenominator = transport->tsig_denom;
        }
        constexpr uint32_t kPlayingWithBeats =
            CLAP_TRANSPORT_IS_PLAYING | CLAP_TRANSPORT_HAS_BEATS_TIMELINE;
        block.hasSongBeats = (transport->flags & kPlayingWithBeats) == kPlayingWithBeats;
        block.songBeats = static_cast<double>(transport->song_pos_beats) / CLAP_BEATTIME_FACTOR;
        if ((transport->flags & CLAP_TRANSPORT_HAS_SECONDS_TIMELINE) != 0) {
            const double frames = std::floor(static_cast<double>(transport->song_pos_seconds) /
                                                 CLAP_SECTIME_FACTOR * SampleRate() +
                                             0.5);
            // Beyond what the position can hold, either way: it saturates.
            block.samplePosition = !(frames > 0.0) ? 0
                                   : frames < 4e18 ? static_cast<int64_t>(frames)
                                                   : int64_t{1} << 62;
        }
    }
    TransportCore::SetTransport(block);
}

}  // namespace tav::clap
