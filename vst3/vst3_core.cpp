#include "vst3/vst3_core.h"

#include <cmath>

namespace tav::vst3 {

Vst3Core::Vst3Core(const EffectIdentity& identity) : IEffectCore(identity) {
    ConnectInputs(0, InputCount(), true);
    ConnectOutputs(0, OutputCount(), true);
    SetBlockFrames(1024);
}

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

void Vst3Core::HostTimeSignature(int& num, int& den) {
    num = timeSigNumerator_;
    den = timeSigDenominator_;
}

void Vst3Core::SetTransport(const ProcessContext* context) {
    tempo_ = 0.0;
    samplePosition_ = 0;
    timeSigNumerator_ = 0;
    timeSigDenominator_ = 0;
    if (context == nullptr) return;
    if ((context->state & ProcessContext::kTempoValid) != 0 && std::isfinite(context->tempo) &&
        context->tempo > 0.0) {
        tempo_ = context->tempo;
    }
    if ((context->state & ProcessContext::kTimeSigValid) != 0 && context->timeSigNumerator >= 0 &&
        context->timeSigDenominator >= 0) {
        timeSigNumerator_ = context->timeSigNumerator;
        timeSigDenominator_ = context->timeSigDenominator;
    }
    // Past two billion frames the position saturates, as in the VST 2 adapter.
    const int64 position = context->projectTimeSamples;
    samplePosition_ =
        position <= 0 ? 0 : (position < 2147483647 ? static_cast<int>(position) : 2147483647);
}

}  // namespace tav::vst3
