#include "vst3/vst3_core.h"

namespace tav::vst3 {

void Vst3Core::HostBeginEdit(int index) {
    EndPendingEdit();
    if (sink_ != nullptr) sink_->BeginEdit(index);
}

void Vst3Core::HostAutomate(int index, double unit) {
    if (sink_ != nullptr) sink_->PerformEdit(index, unit);
}

void Vst3Core::HostEndEdit(int index) {
    if (sink_ != nullptr) sink_->EndEdit(index);
}

void Vst3Core::HostDisplayChanged() {
    if (sink_ != nullptr) sink_->DisplayChanged();
}

bool Vst3Core::ChangeEditorScale(int percent) {
    if (sink_ != nullptr) return sink_->ChangeEditorScale(percent);
    return IEffectCore::ChangeEditorScale(percent);
}

void Vst3Core::SetTransport(const ProcessContext* context) {
    ClearTransport();
    if (context == nullptr) return;
    if ((context->state & ProcessContext::kTempoValid) != 0) SetTempo(context->tempo);
    if ((context->state & ProcessContext::kTimeSigValid) != 0)
        SetTimeSignature(context->timeSigNumerator, context->timeSigDenominator);
    SetSamplePosition(context->projectTimeSamples);
    constexpr uint32_t kPlayingWithMusic =
        ProcessContext::kPlaying | ProcessContext::kProjectTimeMusicValid;
    if ((context->state & kPlayingWithMusic) == kPlayingWithMusic)
        SetSongBeats(context->projectTimeMusic);
}

}  // namespace tav::vst3
