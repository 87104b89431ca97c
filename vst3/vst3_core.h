// The host side of the plug-in core for VST 3: time and tempo come from the
// process context the processor hands in; gestures and notices go to whatever
// the owner (the edit controller) attaches. Each of the two VST 3 classes owns
// one core of its own.
#pragma once

#include "core/effect_core.h"
#include "vst3/vst3_abi.h"

namespace tav::vst3 {

// Where the core's notices to the host go; the controller implements it.
class EditSink {
  public:
    virtual ~EditSink() = default;
    virtual void BeginEdit(int index) = 0;
    virtual void PerformEdit(int index, double unit) = 0;
    virtual void EndEdit(int index) = 0;
    virtual void DisplayChanged() = 0;
    // The editor's new scale: asks the host through the open view; whether taken.
    virtual bool ChangeEditorScale(int percent) = 0;
};

class Vst3Core : public IEffectCore {
  public:
    explicit Vst3Core(const EffectIdentity& identity);

    void HostBeginEdit(int index) override;
    void HostAutomate(int index, double unit) override;
    void HostEndEdit(int index) override;
    void HostDisplayChanged() override;
    int HostSamplePosition() override { return samplePosition_; }
    double HostTempo() override { return tempo_; }
    void HostTimeSignature(int& num, int& den) override;
    HostKind HostId() override { return 0; }
    void EditorSizeChanged() override {}
    bool ChangeEditorScale(int percent) override;
    void HostQuirksInit() override {}
    bool SendMidiOut(const MidiMessage&) override { return false; }
    bool SendSysExOut(const SysExMessage&) override { return false; }

    // The transport of the block about to run; none (or invalid fields) means no
    // tempo, as a VST 2 host without time info.
    void SetTransport(const ProcessContext* context);
    void SetEditSink(EditSink* sink) { sink_ = sink; }

  private:
    EditSink* sink_ = nullptr;
    double tempo_ = 0.0;
    int samplePosition_ = 0;
    int timeSigNumerator_ = 0;
    int timeSigDenominator_ = 0;
};

}  // namespace tav::vst3
