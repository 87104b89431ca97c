#pragma once

#include <string>
#include <vector>

#include "core/effect_core.h"

namespace tav::test {

// Stands in for the host layer: records every notice the core sends to the host
// and answers time queries from fields the test sets.
class RecordingHost : public IEffectCore {
  public:
    explicit RecordingHost(const EffectIdentity& identity) : IEffectCore(identity) {}

    void HostBeginEdit(int index) override {
        EndPendingEdit();
        events.push_back("begin " + std::to_string(index));
        ++beginEdits;
    }
    void HostAutomate(int index, double unit) override {
        events.push_back("automate " + std::to_string(index));
        ++automations;
        lastAutomatedUnit = unit;
    }
    void HostEndEdit(int index) override {
        events.push_back("end " + std::to_string(index));
        ++endEdits;
    }
    void HostDisplayChanged() override { ++displayChanges; }
    void HostSettingEdited(int setting, double value) override {
        events.push_back("setting " + std::to_string(setting) + " " + std::to_string(value));
    }
    int HostSamplePosition() override { return samplePosition; }
    double HostTempo() override { return tempo; }
    void HostTimeSignature(int& num, int& den) override {
        num = 4;
        den = 4;
    }
    void EditorSizeChanged() override {}
    void HostQuirksInit() override {}
    bool SendMidiOut(const MidiMessage&) override { return true; }
    bool SendSysExOut(const SysExMessage&) override { return true; }

    std::vector<std::string> events;
    int beginEdits = 0;
    int endEdits = 0;
    int automations = 0;
    int displayChanges = 0;
    double lastAutomatedUnit = -1.0;
    int samplePosition = 0;
    double tempo = 120.0;
};

// An editor that records what the core asks of it.
class RecordingEditor : public IEditorLink {
  public:
    explicit RecordingEditor(std::vector<std::string>* log, bool* deleted = nullptr)
        : log_(log), deleted_(deleted) {}
    ~RecordingEditor() override {
        if (deleted_ != nullptr) *deleted_ = true;
    }
    void PushParamToControls(int index, double value, bool isNormalised) override {
        log_->push_back("push " + std::to_string(index) + (isNormalised ? " unit " : " plain ") +
                        std::to_string(value));
    }
    void CreateCanvas() override { log_->push_back("canvas"); }
    void SetGestureTimeout(int ticks) override {
        log_->push_back("timeout " + std::to_string(ticks));
    }
    void CancelGestureTimeout() override { log_->push_back("cancel"); }
    int Width() const override { return 520; }
    int Height() const override { return 335; }
    int FrameRate() const override { return 24; }
    void* OpenInParent(void*) override { return nullptr; }
    void CloseNative() override {}
    intptr_t HandleCursorWheel(float) override { return 0; }

  private:
    std::vector<std::string>* log_;
    bool* deleted_;
};

}  // namespace tav::test
