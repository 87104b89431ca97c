// One VST 2.4 plug-in instance as a host sees it: loaded from its module, driven
// through the AEffect record, answered through the host callback.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "host/hosted_plugin.h"
#include "host/plugin_library.h"
#include "vst2/vst2_abi.h"

namespace tav {

// One call the plug-in made into the host callback.
struct HostRequest {
    VstInt32 opcode = 0;
    VstInt32 index = 0;
    VstIntPtr value = 0;
    float opt = 0.0f;
    std::string text;  // canDo texts and the like
};

// Everything the plug-in asked of the host. Counting is lock-free so audio-thread
// calls (time queries) cost nothing; the detailed log is bounded.
class HostRequestLog {
  public:
    static constexpr int kOpcodes = 64;
    static constexpr size_t kMaxEntries = 4096;

    void Record(const HostRequest& request);
    int Count(VstInt32 opcode) const;
    std::vector<HostRequest> Entries() const;
    void Clear();

  private:
    std::atomic<int> counts[kOpcodes] = {};
    mutable std::mutex mutex;
    std::vector<HostRequest> entries;
};

const char* HostOpcodeName(VstInt32 opcode);

class HostedVst2 final : public HostedFormat<HostedVst2> {
  public:
    ~HostedVst2() override;

    AEffect* Effect() const { return effect; }
    VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);

    // The usual start-up sequence: open, rate, block size, resume.
    void Start();
    void Open() { Dispatch(effOpen); }
    void SetSampleRate(double rate);
    bool ChangeSampleRate(double rate, std::string*) override {
        SetSampleRate(rate);
        return true;
    }
    void SetBlockSize(int frames);
    void Resume() { Dispatch(effMainsChanged, 0, 1); }
    void Suspend() { Dispatch(effMainsChanged, 0, 0); }
    // effClose; the instance is gone afterwards (the destructor closes too).
    void Close();

    std::string EffectName();
    std::string VendorString();
    std::string ProductString();

    int NumInputs() const override { return effect->numInputs; }
    int NumOutputs() const override { return effect->numOutputs; }
    int NumParams() const override { return effect->numParams; }
    int NumPrograms() const override { return effect->numPrograms; }
    std::string ParamName(int index) override;
    std::string ParamLabel(int index) override;
    std::string ParamDisplay(int index) override;
    float GetParameter(int index) { return effect->getParameter(effect, index); }
    void SetParameter(int index, float unit) { effect->setParameter(effect, index, unit); }
    double ParamValue(int index) override { return GetParameter(index); }
    void SetParamValue(int index, double unit) override {
        SetParameter(index, static_cast<float>(unit));
    }
    // Typed text through effString2Parameter; false when the plug-in refused it.
    bool SetParameterText(int index, const std::string& text) override;

    int Program() override { return static_cast<int>(Dispatch(effGetProgram)); }
    void SetProgram(int index) override { Dispatch(effSetProgram, 0, index); }
    std::string ProgramName(int index) override;

    // Program chunk (isBank false) or bank chunk; empty if the plug-in gave none.
    std::vector<std::uint8_t> GetChunk(bool isBank);
    bool SetChunk(bool isBank, const std::vector<std::uint8_t>& bytes);
    const char* StateName(bool bank) const override {
        return bank ? "bank chunk" : "program chunk";
    }
    bool LoadPresetFile(FxFile file, const std::vector<std::uint8_t>& bytes,
                        std::string* error) override;
    std::vector<std::uint8_t> SavePresetFile(FxFile file) override;
    // The instance lock keeps chunks and programs whole beside the audio.
    bool ChooseProgramBesideAudio(int index) override {
        SetProgram(index);
        return true;
    }

    // Whether the plug-in offers that callback (double and replacing by flag).
    bool Supports(ProcessKind kind) const override;
    void Process(ProcessKind kind, float** inputs, float** outputs, int frames) override;
    void ProcessDouble(double** inputs, double** outputs, int frames) override;

    // setParameter with the value getParameter gives.
    void ResendParam(int index) override { SetParameter(index, GetParameter(index)); }

    HostRequestLog& Requests() { return requests; }

    // The editor through effEditGetRect, effEditOpen, effEditClose and effEditIdle.
    bool EditorSize(int* width, int* height, std::string* error) override;
    bool SetEditorScale(double factor, std::string* error) override;
    bool OpenEditorIn(void* parent, std::string* error) override;
    void CloseEditorWindow() override { Dispatch(effEditClose); }
    void EditorIdle() override { Dispatch(effEditIdle); }

  private:
    friend class HostedFormat<HostedVst2>;
    HostedVst2() = default;
    // Loads the module, calls its entry point and checks the record's magic. The
    // plug-in is not opened yet: that is Open(), so tests can vary the order.
    bool Create(const std::string& path, std::string* error) override;
    bool Activate(ProcessKind, std::string*) override {
        Resume();
        return true;
    }
    void Deactivate() override { Suspend(); }
    std::vector<std::uint8_t> ReadState(bool bank) override { return GetChunk(bank); }
    bool WriteState(bool bank, const std::vector<std::uint8_t>& bytes) override {
        return SetChunk(bank, bytes);
    }
    // The effect's identity and flags; every host callback opcode it used, with
    // the first calls in detail.
    void PrintIdentity(std::ostream& out) override;
    void PrintDetails(std::ostream& out) override;
    void PrintHostCalls(std::ostream& out) override;
    static VstIntPtr Callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                              void* ptr, float opt);
    VstIntPtr Answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
    std::string ReadText(VstInt32 opcode, VstInt32 index);
    const VstTimeInfo* TimeInfo(VstIntPtr wanted);

    PluginLibrary library;
    AEffect* effect = nullptr;
    HostRequestLog requests;
    // The rate and block size may be asked from any of the plug-in's threads.
    std::mutex settingsMutex;
};

}  // namespace tav
