#include "clap/clap_core.h"

#include <cmath>

namespace tav::clap {

ClapCore::ClapCore(const EffectIdentity& identity) : IEffectCore(identity) {
    ConnectInputs(0, InputCount(), true);
    ConnectOutputs(0, OutputCount(), true);
    SetBlockFrames(1024);
}

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

void ClapCore::HostTimeSignature(int& num, int& den) {
    num = timeSigNumerator_;
    den = timeSigDenominator_;
}

void ClapCore::SetTransport(const clap_event_transport* transport) {
    tempo_ = 0.0;
    samplePosition_ = 0;
    timeSigNumerator_ = 0;
    timeSigDenominator_ = 0;
    if (transport == nullptr) return;
    if ((transport->flags & CLAP_TRANSPORT_HAS_TEMPO) != 0 && std::isfinite(transport->tempo)) {
        SetTempo(transport->tempo);
    }
    if ((transport->flags & CLAP_TRANSPORT_HAS_TIME_SIGNATURE) != 0) {
        timeSigNumerator_ = transport->tsig_num;
        timeSigDenominator_ = transport->tsig_denom;
    }
    if ((transport->flags & CLAP_TRANSPORT_HAS_SECONDS_TIMELINE) != 0) {
        // Past two billion frames the position saturates, as in the VST 2 adapter.
        const double frames = std::floor(static_cast<double>(transport->song_pos_seconds) /
                                             CLAP_SECTIME_FACTOR * SampleRate() +
                                         0.5);
        samplePosition_ =
            frames <= 0.0 ? 0 : (frames < 2147483647.0 ? static_cast<int>(frames) : 2147483647);
    }
}

}  // namespace tav::clap
