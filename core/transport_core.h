// The host layer that the formats whose host hands tempo, position and time
// signature with each block (VST 3, CLAP, LV2) share: it keeps what the block said,
// takes no MIDI out, and hands the editor's gestures to the format's EditSink.
#pragma once

#include <cstdint>

#include "core/edit_sink.h"
#include "core/effect_core.h"

namespace tav {

// A block's transport as a format's host states it; a field left at its default
// is one the host did not give.
struct BlockTransport {
    double tempo = 0.0;  // BPM
    int timeSigNumerator = 0;
    int timeSigDenominator = 0;
    int64_t samplePosition = 0;  // frames since the song's start
    // Quarter notes at the block's first frame, only while the transport plays.
    bool hasSongBeats = false;
    double songBeats = 0.0;
};

class TransportCore : public IEffectCore {
  public:
    explicit TransportCore(const EffectIdentity& identity);

    int HostSamplePosition() override { return samplePosition_; }
    double HostTempo() override { return tempo_; }
    void HostTimeSignature(int& num, int& den) override;
    bool HostSongBeats(double& beats) override;
    void SliceProcessed(int frames) override;
    HostKind HostId() override { return 0; }
    void EditorSizeChanged() override {}
    void HostQuirksInit() override {}
    bool SendMidiOut(const MidiMessage&) override { return false; }
    bool SendSysExOut(const SysExMessage&) override { return false; }

    // The editor's gestures, to the sink when there is one; nowhere otherwise.
    void HostBeginEdit(int index) override;
    void HostAutomate(int index, double unit) override;
    void HostEndEdit(int index) override;
    void HostSettingEdited(int setting, double value) override;
    void HostDisplayChanged() override;
    bool ChangeEditorScale(int percent) override;
    void SetEditSink(EditSink* sink) { sink_ = sink; }

    // The transport of the block about to run; nonsense fields count as not given,
    // and a host that gives none at all is a VST 2 host without time info.
    void SetTransport(const BlockTransport& transport);
    // None of a block's transport known yet: no tempo, as a VST 2 host without time info.
    void ClearTransport();
    // A tempo that is not a finite positive number means none.
    void SetTempo(double tempo);
    // Negative parts mean none.
    void SetTimeSignature(int numerator, int denominator);
    // Past two billion frames the position saturates, as in the VST 2 adapter.
    void SetSamplePosition(int64_t frames);
    // The song position in quarter notes at the block's start, given only while
    // the transport plays; non-finite positions mean none.
    void SetSongBeats(double beats);

  private:
    EditSink* sink_ = nullptr;
    double tempo_ = 0.0;
    int samplePosition_ = 0;
    int timeSigNumerator_ = 0;
    int timeSigDenominator_ = 0;
    bool hasSongBeats_ = false;
    double songBeats_ = 0.0;  // at the next slice's first frame
};

}  // namespace tav
