#include "core/transport_core.h"

#include <cmath>

namespace tav {

TransportCore::TransportCore(const EffectIdentity& identity) : IEffectCore(identity) {
    ConnectInputs(0, InputCount(), true);
    ConnectOutputs(0, OutputCount(), true);
    SetBlockFrames(1024);
}

void TransportCore::HostBeginEdit(int index) {
    EndPendingEdit();
    if (sink_ != nullptr) sink_->BeginEdit(index);
}

void TransportCore::HostAutomate(int index, double unit) {
    if (sink_ != nullptr) sink_->PerformEdit(index, unit);
}

void TransportCore::HostEndEdit(int index) {
    if (sink_ != nullptr) sink_->EndEdit(index);
}

void TransportCore::HostSettingEdited(int setting, double value) {
    if (sink_ != nullptr) sink_->SettingEdited(setting, value);
}

void TransportCore::HostDisplayChanged() {
    if (sink_ != nullptr) sink_->DisplayChanged();
}

bool TransportCore::ChangeEditorScale(int percent) {
    return sink_ != nullptr ? sink_->ChangeEditorScale(percent)
                            : IEffectCore::ChangeEditorScale(percent);
}

void TransportCore::HostTimeSignature(int& num, int& den) {
    num = timeSigNumerator_;
    den = timeSigDenominator_;
}

void TransportCore::ClearTransport() {
    tempo_ = 0.0;
    samplePosition_ = 0;
    timeSigNumerator_ = 0;
    timeSigDenominator_ = 0;
    hasSongBeats_ = false;
    songBeats_ = 0.0;
}

void TransportCore::SetTransport(const BlockTransport& transport) {
    ClearTransport();
    SetTempo(transport.tempo);
    SetTimeSignature(transport.timeSigNumerator, transport.timeSigDenominator);
    SetSamplePosition(transport.samplePosition);
    if (transport.hasSongBeats) SetSongBeats(transport.songBeats);
}

bool TransportCore::HostSongBeats(double& beats) {
    if (!hasSongBeats_) return false;
    beats = songBeats_;
    return true;
}

void TransportCore::SliceProcessed(int frames) {
    // Tempo changes inside the host's block land between slices, so each slice
    // moves on at its own tempo.
    if (hasSongBeats_ && tempo_ > 0.0 && frames > 0)
        songBeats_ += frames * tempo_ / (60.0 * SampleRate());
}

void TransportCore::SetSongBeats(double beats) {
    hasSongBeats_ = std::isfinite(beats);
    songBeats_ = hasSongBeats_ ? beats : 0.0;
}

void TransportCore::SetTempo(double tempo) {
    tempo_ = std::isfinite(tempo) && tempo > 0.0 ? tempo : 0.0;
}

void TransportCore::SetTimeSignature(int numerator, int denominator) {
    if (numerator < 0 || denominator < 0) return;
    timeSigNumerator_ = numerator;
    timeSigDenominator_ = denominator;
}

void TransportCore::SetSamplePosition(int64_t frames) {
    samplePosition_ =
        frames <= 0 ? 0 : (frames < 2147483647 ? static_cast<int>(frames) : 2147483647);
}

}  // namespace tav
