// The VST 2.4 adapter: turns a host's calls through the AEffect record into calls
// on the plug-in core, and implements the core's host-side operations with the
// host callback. The concrete effect derives from it.
#pragma once

#include <cstdint>

#include "core/effect_core.h"
#include "core/state_chunk.h"
#include "vst2/vst2_abi.h"

namespace tav {

// Bits of the host extension flags.
enum HostExtensionBits : int32_t {
    HostExtHasExtensions = 1,
    HostExtViewAsConfig = 2,
};

class IVstEffect : public IEffectCore {
  public:
    IVstEffect(audioMasterCallback hostCallback, const EffectIdentity& identity);
    ~IVstEffect() override;

    AEffect* Effect() { return &effect_; }
    // The instance behind a record the host hands back; none for a foreign record.
    static IVstEffect* FromEffect(AEffect* effect);

    // Host side of the core.
    void HostBeginEdit(int index) override;
    void HostAutomate(int index, double unit) override;
    void HostEndEdit(int index) override;
    void HostDisplayChanged() override;
    int HostSamplePosition() override;
    double HostTempo() override;
    bool HostSongBeats(double& beats) override;
    void HostTimeSignature(int& num, int& den) override;
    HostKind HostId() override;
    void EditorSizeChanged() override;
    bool ChangeEditorScale(int percent) override;
    void HostQuirksInit() override;
    void AttachEditor(IEditorLink* editor) override;
    void SetLatencyFrames(int frames) override;
    bool SendMidiOut(const MidiMessage& msg) override;
    bool SendSysExOut(const SysExMessage& msg) override;

    int32_t HostVersion() const { return hostVersion_; }
    int32_t HostExtensionFlags() const { return hostExtensionFlags_; }
    const ERect& EditorRect() const { return editorRect_; }

  private:
    // The AEffect's callbacks.
    static VstIntPtr DispatcherProc(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                    VstIntPtr value, void* ptr, float opt);
    static void ProcessAccumulatingProc(AEffect* effect, float** inputs, float** outputs,
                                        VstInt32 frames);
    static void ProcessReplacingProc(AEffect* effect, float** inputs, float** outputs,
                                     VstInt32 frames);
    static void ProcessDoubleProc(AEffect* effect, double** inputs, double** outputs,
                                  VstInt32 frames);
    static void SetParameterProc(AEffect* effect, VstInt32 index, float unit);
    static float GetParameterProc(AEffect* effect, VstInt32 index);

    VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
    // effEditOpen and effEditClose: the native window is opened and closed outside the
    // core lock, the core's hooks inside it.
    VstIntPtr DispatchEditorWindow(VstInt32 opcode, void* parent);
    void CheckParamBurst();
    VstIntPtr String2Parameter(int index, const char* text);
    VstIntPtr PinProperties(int index, void* ptr, int count, const char* label);
    VstIntPtr SetSpeakerArrangement(VstIntPtr input, void* output);
    VstIntPtr VendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt);
    VstIntPtr CanDo(const char* text);
    VstIntPtr ProcessEvents(const VstEvents* events);

    void ProcessFloat(float** inputs, float** outputs, int frames, bool accumulate);
    void ProcessFloatSlice(float** inputs, float** outputs, int offset, int frames,
                           bool accumulate);
    void ProcessDouble(double** inputs, double** outputs, int frames);
    void ProcessDoubleSlice(double** inputs, double** outputs, int offset, int frames);
    void SetParameter(int index, float unit);
    float GetParameter(int index);

    VstIntPtr CallHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);
    const VstTimeInfo* HostTimeInfo(VstInt32 wanted);

    audioMasterCallback hostCallback_;
    ERect editorRect_ = {};
    VstSpeakerArrangement inputArrangement_ = {};
    VstSpeakerArrangement outputArrangement_ = {};
    bool quirksDone_ = false;
    int32_t hostExtensionFlags_ = 0;
    StateChunk programChunk_;
    StateChunk bankChunk_;
    AEffect effect_ = {};
};

// Speaker arrangement type for a channel count.
VstInt32 ArrangementFor(int channels);

}  // namespace tav
