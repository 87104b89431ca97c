// The host side of the plug-in core for CLAP: tempo and position from the
// transport, and the editor's gestures kept for the next process or flush,
// where they go to the host as events.
#pragma once

#include <cstdint>

#include "clap/clap_abi.h"
#include "core/transport_core.h"
#include "effect/extra_settings.h"

namespace tav::clap {

// The ids beyond the thirteen parameters' (which are their VST indices), as the
// VST 3 plug-in numbers them; hosts store them in projects.
inline constexpr clap_id kBypassParamId = 1000;
inline constexpr clap_id kSweepSyncParamId = kFirstSettingParamId;
inline constexpr clap_id kGlideParamId = kFirstSettingParamId + 1;

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

    void HostBeginEdit(int index) override;
    void HostAutomate(int index, double unit) override;
    void HostEndEdit(int index) override;
    void HostDisplayChanged() override {}
    void HostSettingEdited(int setting, double value) override;

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
    // Called (outside the audio thread) when an edit waits for the host.
    void SetEditNotice(void (*notice)(void*), void* context) {
        notice_ = notice;
        noticeContext_ = context;
    }
    // A face's: its gestures go out through outlet instead of being kept here,
    // and frame is called on each frame of its editor.
    void SetEditOutlet(void (*outlet)(void*, const PendingEdit&), void* context) {
        outlet_ = outlet;
        outletContext_ = context;
    }
    void SetFrameHook(void (*frame)(void*), void* context) {
        frame_ = frame;
        frameContext_ = context;
    }
    void EditorFrame() override {
        if (frame_ != nullptr) frame_(frameContext_);
    }
    // The scale the user picks in the editor goes through the host's window first.
    void SetScaleRequest(bool (*request)(void*, int), void* context) {
        scaleRequest_ = request;
        scaleContext_ = context;
    }
    bool ChangeEditorScale(int percent) override {
        return scaleRequest_ != nullptr ? scaleRequest_(scaleContext_, percent)
                                        : IEffectCore::ChangeEditorScale(percent);
    }

  private:
    void Queue(uint16_t type, int index, double unit);
    void Compact();

    PendingEdit pending_[kMaxPendingEdits] = {};
    int pendingCount_ = 0;
    void (*notice_)(void*) = nullptr;
    void* noticeContext_ = nullptr;
    void (*outlet_)(void*, const PendingEdit&) = nullptr;
    void* outletContext_ = nullptr;
    void (*frame_)(void*) = nullptr;
    void* frameContext_ = nullptr;
    bool (*scaleRequest_)(void*, int) = nullptr;
    void* scaleContext_ = nullptr;
};

}  // namespace tav::clap
