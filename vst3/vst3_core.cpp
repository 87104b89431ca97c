#include "vst3/vst3_core.h"

#include "effect/extra_settings.h"
#include "vst3/param_table.h"

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

void Vst3Core::HostSettingEdited(int setting, double value) {
    if (sink_ != nullptr && IsExtraSetting(setting))
        sink_->SettingEdited(ParamIdOfSetting(setting), value);
}

bool Vst3Core::ChangeEditorScale(int percent) {
    if (sink_ != nullptr) return sink_->ChangeEditorScale(percent);
    return IEffectCore::ChangeEditorScale(percent);
}

void Vst3Core::SetTransport(const ProcessContext* context) {
    BlockTransport transport;
    if (context != nullptr) {
        if ((context->state & ProcessContext::kTempoValid) != 0) transport.tempo = context->tempo;
        if ((context->state & ProcessContext::kTimeSigValid) != 0) {
            transport.timeSigNumerator = context->timeSigNumerator;
            transport.timeSigDenominator = context->timeSigDenominator;
        }
        transport.samplePosition = context->projectTimeSamples;
        constexpr uint32_t kPlayingWithMusic =
            ProcessContext::kPlaying | ProcessContext::kProjectTimeMusicValid;
        transport.hasSongBeats = (context->state & kPlayingWithMusic) == kPlayingWithMusic;
        transport.songBeats = context->projectTimeMusic;
    }
    TransportCore::SetTransport(transport);
}

}  // namespace tav::vst3
