// The host side of the plug-in core for VST 3: time and tempo come from the
// process context the processor hands in; gestures and notices go to whatever
// the owner (the edit controller) attaches. Each of the two VST 3 classes owns
// one core of its own.
#pragma once

#include "core/transport_core.h"
#include "vst3/vst3_abi.h"

namespace tav::vst3 {

// Where the core's notices to the host go; the controller implements it.
class EditSink {
  public:
    virtual ~EditSink() = default;
    virtual void BeginEdit(int index) = 0;
    virtual void PerformEdit(int index, double unit) = 0;
    virtual void EndEdit(int index) = 0;
    // A setting beyond the effect's parameters that the user changed in the editor.
    virtual void SettingEdited(ParamID id, double normalized) = 0;
    virtual void DisplayChanged() = 0;
    // The editor's new scale: asks the host through the open view; whether taken.
    virtual bool ChangeEditorScale(int percent) = 0;
};

class Vst3Core : public TransportCore {
  public:
    explicit Vst3Core(const EffectIdentity& identity) : TransportCore(identity) {}

    void HostBeginEdit(int index) override;
    void HostAutomate(int index, double unit) override;
    void HostEndEdit(int index) override;
    void HostDisplayChanged() override;
    void HostSettingEdited(int setting, double value) override;
    bool ChangeEditorScale(int percent) override;

    // The transport of the block about to run; none (or invalid fields) means no
    // tempo, as a VST 2 host without time info.
    void SetTransport(const ProcessContext* context);
    using TransportCore::SetTransport;
    void SetEditSink(EditSink* sink) { sink_ = sink; }

  private:
    EditSink* sink_ = nullptr;
};

}  // namespace tav::vst3
