// The host side of the plug-in core for CLAP: tempo and position from the
// transport, and the editor's gestures, back from the audio thread as echoes
// (ClapPlugin is the face's EditSink), kept for the next process or flush, where
// they go to the host as events.
#pragma once

#include <cstdint>

#include "clap/clap_abi.h"
#include "core/transport_core.h"

namespace tav::clap {

// One editor gesture event waiting for the host.
struct PendingEdit {
    uint16_t type;  // CLAP_EVENT_PARAM_GESTURE_BEGIN, _VALUE or _GESTURE_END
    clap_id id;
    double unit;  // for the ids beyond the parameters, the plain value
};

class ClapCore : public TransportCore {
  public:
    static constexpr int kMaxPendingEdits = 256;

    explicit ClapCore(const EffectIdentity& identity) : TransportCore(identity) {}

    // The block's transport (none: no tempo, as a VST 2 host without time info).
    void SetTransport(const clap_event_transport* transport);
    using TransportCore::SetTransport;

    // Editor gestures since the last call, oldest first, on the thread that runs
    // the audio (or flushes while it is inactive).
    int PendingEditCount() const { return pendingCount_; }
    const PendingEdit& PendingEditAt(int i) const { return pending_[i]; }
    void ClearPendingEdits() { pendingCount_ = 0; }
    // An edit for the host, kept for the next process or flush.
    void KeepEdit(const PendingEdit& edit);
    // A face's: called on each frame of its editor.
    void SetFrameHook(void (*frame)(void*), void* context) {
        frame_ = frame;
        frameContext_ = context;
    }
    void EditorFrame() override {
        if (frame_ != nullptr) frame_(frameContext_);
    }

  private:
    void Compact();

    PendingEdit pending_[kMaxPendingEdits] = {};
    int pendingCount_ = 0;
    void (*frame_)(void*) = nullptr;
    void* frameContext_ = nullptr;
};

}  // namespace tav::clap
