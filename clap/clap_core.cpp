#include "clap/clap_core.h"

#include <algorithm>
#include <cmath>

#include "core/edit_fold.h"

namespace tav::clap {

void ClapCore::KeepEdit(const PendingEdit& edit) {
    if (pendingCount_ == kMaxPendingEdits) Compact();
    pending_[pendingCount_++] = edit;
}

// A host that does not flush for a long time: the gestures fold (core/edit_fold.h);
// parameters are far fewer than the room.
void ClapCore::Compact() {
    static constexpr uint16_t kTypes[] = {CLAP_EVENT_PARAM_GESTURE_BEGIN, CLAP_EVENT_PARAM_VALUE,
                                          CLAP_EVENT_PARAM_GESTURE_END};
    PendingEdit scratch[kMaxPendingEdits];
    pendingCount_ = FoldEdits(
        pending_, pendingCount_, scratch,
        [](const PendingEdit& edit) {
            return edit.type == CLAP_EVENT_PARAM_GESTURE_BEGIN ? EditStep::Begin
                   : edit.type == CLAP_EVENT_PARAM_VALUE       ? EditStep::Value
                                                               : EditStep::End;
        },
        [](const PendingEdit& edit) { return edit.id; },
        [](const PendingEdit& edit) { return edit.unit; },
        [](EditStep step, clap_id id, double unit) {
            return PendingEdit{kTypes[static_cast<int>(step)], id, unit};
        });
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
