#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>

#include "core/core_lock.h"
#include "core/editor_link.h"
#include "core/heap_buffer.h"
#include "core/midi_message.h"
#include "core/plugin_param.h"
#include "core/preset_slot.h"
#include "core/ptr_list.h"
#include "core/state_chunk.h"

namespace tav {

using HostKind = int32_t;  // -1 not asked yet, 0 unidentified, otherwise a known host

struct ChannelConfig {
    int32_t inputs = 0;
    int32_t outputs = 0;
};

struct InputChannel {
    bool connected = false;
    double** slot = nullptr;  // this channel's element of the input pointer array
    HeapBuffer scratch{4096};
};

struct OutputChannel {
    bool connected = false;
    double** slot = nullptr;
    float* hostDestination = nullptr;  // the host's 32-bit buffer of the current block
    HeapBuffer scratch{4096};
};

// Construction arguments that fix what the host sees of an effect.
struct EffectIdentity {
    int paramCount = 0;
    const char* channelIo = "";
    int presetCount = 0;
    const char* effectName = "";
    const char* productName = "";
    const char* vendorName = "";
    int32_t version = 0;
    int32_t uniqueId = 0;
    int32_t manufacturerCode = 0;
    int32_t latency = 0;
    int32_t midiMode = 0;
    bool doesChunks = false;
    bool isInstrument = false;
};

// The host-independent heart of a plug-in: parameters, presets, state chunks,
// channel buffers and the one recursive lock that serialises the audio, host and
// editor threads. The host layer derives from it and implements the Host*
// operations; the effect derives from that and overrides the hooks.
class IEffectCore {
  public:
    static constexpr int kNameSize = 128;
    static constexpr int32_t kMaxChunkBytes = 64 * 1024 * 1024;

    explicit IEffectCore(const EffectIdentity& identity);
    virtual ~IEffectCore();
    IEffectCore(const IEffectCore&) = delete;
    IEffectCore& operator=(const IEffectCore&) = delete;

    // Hooks for the effect.
    virtual void ResetProcessing();
    virtual void ApplyHostParamChange(int index, double unit);
    virtual void OnParamBurst(int highestIndex);
    virtual void ParamChanged(int index);
    // Every parameter at once: a program, a state or opening. The default tells
    // ParamChanged about each in index order.
    virtual void AllParamsChanged();
    virtual void ProcessBlock(double** inputs, double** outputs, int frames);
    virtual void EditorOpened() {}
    virtual void EditorClosed() {}
    // Once per frame of the open editor, on its thread, before it looks for what
    // changed: a face that mirrors a model elsewhere catches up here.
    virtual void EditorFrame() {}
    virtual void BeforeClose() {}
    virtual void ActivationChanged(bool active);
    virtual void MidiMessageIn(const MidiMessage&) {}
    virtual void SysExIn(const SysExMessage&) {}
    virtual bool KeyNameFor(int key, char* text, int textSize);
    virtual bool SaveState(StateChunk& chunk);
    virtual int32_t LoadState(const StateChunk& chunk, int32_t pos);
    // Whether LoadState would read the chunk completely and with sound values.
    virtual bool CanLoadState(const StateChunk& chunk, int32_t pos) const;
    // The effect's own settings that are not parameters, kept in the program and
    // bank chunks after the data the chunk format defines (a reader of the format
    // alone ignores them). Write appends them (nothing by default). End tells where
    // they end when they would start at pos: pos when none start there, -1 when
    // they are damaged (the chunk is then refused). Apply takes them from pos (a
    // position End has accepted), or the defaults when none start there.
    virtual bool WriteExtraState(StateChunk& chunk) { return (void)chunk, true; }
    virtual int32_t ExtraStateEnd(const StateChunk& chunk, int32_t pos) const {
        return (void)chunk, pos;
    }
    virtual void ApplyExtraState(const StateChunk& chunk, int32_t pos) { (void)chunk, (void)pos; }

    // What the host layer provides. HostBeginEdit ends a pending wheel gesture
    // (EndPendingEdit) before it tells the host about the new one.
    virtual void HostBeginEdit(int index) = 0;
    virtual void HostBeginEditOnce(int index);
    virtual void HostAutomate(int index, double unit) = 0;
    virtual void HostEndEdit(int index) = 0;
    virtual void HostDisplayChanged() = 0;
    virtual int HostSamplePosition() = 0;
    virtual double HostTempo() = 0;
    virtual void HostTimeSignature(int& num, int& den) = 0;
    // The song position in quarter notes at the block's first frame, while the
    // host's transport plays; false when it is stopped or gives none.
    virtual bool HostSongBeats(double& beats) {
        (void)beats;
        return false;
    }
    // A host layer that splits the host's block moves its position on by each
    // slice it runs.
    virtual void SliceProcessed(int frames) { (void)frames; }
    virtual HostKind HostId() { return hostId_; }
    virtual void EditorSizeChanged() = 0;
    // The user changed one of the effect's settings that are not parameters (the
    // effect numbers them) in the editor, under the core lock: a host layer that
    // shows it to the host as a parameter of its own tells the host.
    virtual void HostSettingEdited(int setting, double value) { (void)setting, (void)value; }
    // The host sets one of those settings (a format shows it as a parameter of its
    // own), and reads it back; none by default.
    virtual void ApplySetting(int setting, double value) { (void)setting, (void)value; }
    virtual double SettingValue(int setting) { return (void)setting, 0.0; }
    // Frames the output can still differ from the input once the input falls silent,
    // for the current settings and rate.
    virtual uint32_t TailFrames() { return 0; }
    // The user picked another scale in the editor: the host is asked for the window's
    // new size; whether the editor took the scale. Called without the core lock.
    virtual bool ChangeEditorScale(int percent);
    virtual void HostQuirksInit() = 0;
    virtual void AttachEditor(IEditorLink* editor);
    virtual bool SetBlockFrames(int frames);
    virtual void SetLatencyFrames(int frames) { latency_ = frames; }
    virtual bool SendMidiOut(const MidiMessage& msg) = 0;
    virtual bool SendMidiOutList(const MidiMessage* list, int count);
    virtual bool SendSysExOut(const SysExMessage& msg) = 0;

    // Serialisation.
    virtual bool WriteParams(StateChunk& chunk);
    virtual int32_t ReadParams(const StateChunk& chunk, int32_t pos);
    virtual bool WriteBank(StateChunk& chunk);
    virtual int32_t ReadBank(const StateChunk& chunk, int32_t pos);

    // Parameter changes from the editor, and the delayed end of wheel gestures.
    void SetParamFromEditor(int index, double unit);
    void ScheduleEndEdit(int index);
    void EndPendingEdit();
    void PushParamsToEditor();
    void NotifyAllParamsChanged();

    // Channels.
    void ConnectInputs(int start, int count, bool connected);
    void ConnectOutputs(int start, int count, bool connected);
    bool SupportsChannels(int inputs, int outputs) const;
    int InputCount() const { return inputChannels_.Count(); }
    int OutputCount() const { return outputChannels_.Count(); }
    InputChannel* Input(int i) const { return inputChannels_.Get(i); }
    OutputChannel* Output(int i) const { return outputChannels_.Get(i); }
    double** InputPointers() const { return reinterpret_cast<double**>(inputPointers_.Data()); }
    double** OutputPointers() const { return reinterpret_cast<double**>(outputPointers_.Data()); }
    int BlockFrames() const { return blockSize_; }

    // Presets and chunks.
    bool FillPresetsFromCurrent(const char* name, int count);
    // One value per parameter in index order; a short list keeps the rest current.
    bool AddPreset(const char* name, std::span<const double> values);
    bool AddPreset(const char* name, std::initializer_list<double> values) {
        return AddPreset(name, std::span<const double>(values.begin(), values.size()));
    }
    void EnsureDefaultPreset();
    bool SelectPreset(int index);
    void StoreCurrentPreset(const char* name);
    void NextUserPresetName(char* out, int outSize) const;
    const char* PresetName(int index) const;
    int PresetCount() const { return presets_.Count(); }
    PresetSlot* Preset(int index) const { return presets_.Get(index); }
    int CurrentPreset() const { return currentPreset_; }
    // The host's chunk calls, on a chunk the host layer owns: index 0 is the bank.
    int32_t GetChunk(int index, StateChunk& chunk, void** out);
    int SetChunk(int index, StateChunk& chunk, const void* bytes, int64_t size);
    // Where SetChunk(index) would stop reading the chunk; -1 when it would refuse it.
    // Callers whose container does not give the chunk's length check it is all used.
    int32_t ChunkEnd(int index, const StateChunk& chunk) const;

    // Identity and timing.
    double SamplesPerBeat();
    int VersionDecimal() const;
    void VersionText(char* out, int outSize) const;
    double SampleRate() const { return sampleRate_; }
    bool SetSampleRate(double rate);
    int ParamCount() const { return params_.Count(); }
    PluginParam* Param(int index) const { return params_.Get(index); }
    const char* EffectName() const { return effectName_; }
    const char* ProductName() const { return productName_; }
    const char* VendorName() const { return vendorName_; }
    int32_t Version() const { return version_; }
    int32_t UniqueId() const { return uniqueId_; }
    int32_t ManufacturerCode() const { return manufacturerCode_; }
    int32_t Latency() const { return latency_; }
    int32_t MidiMode() const { return midiMode_; }
    bool DoesChunks() const { return doesChunks_; }
    bool IsInstrument() const { return isInstrument_; }
    IEditorLink* Editor() const { return editor_; }
    CoreLock& Lock() { return lock_; }
    int PendingEditIndex() const { return pendingEditIndex_; }

  protected:
    // Whether a parameter block (or a bank) reads completely with finite values.
    bool CanReadParams(const StateChunk& chunk, int32_t pos) const;
    bool CanReadBank(const StateChunk& chunk, int32_t pos) const;
    int32_t BankEnd(const StateChunk& chunk, int32_t pos) const;
    // Where the data the chunk format defines starts (after any header) and ends, as
    // SetChunk(index) reads it; -1 when it would refuse it. bank: read as a bank.
    int32_t DataEnd(int index, const StateChunk& chunk, int32_t& start, bool& bank) const;

    int32_t hostId_ = -1;
    int32_t hostVersion_ = 0;
    bool burstLatch_ = false;
    int32_t burstCount_ = 0;
    int32_t burstHighestIndex_ = -1;

  private:
    void ParseChannelConfigs(const char* channelIo);
    PresetSlot* FirstFreePreset() const;

    PtrList<ChannelConfig> channelConfigs_;
    PtrList<PluginParam> params_;
    PtrList<PresetSlot> presets_;
    int32_t currentPreset_ = 0;
    int32_t pendingEditIndex_ = -1;
    CoreLock lock_;
    char effectName_[kNameSize] = {};
    char productName_[kNameSize] = {};
    char vendorName_[kNameSize] = {};
    int32_t uniqueId_ = 0;
    int32_t manufacturerCode_ = 0;
    int32_t version_ = 0;
    bool doesChunks_ = false;
    bool isInstrument_ = false;
    int32_t midiMode_ = 0;
    double sampleRate_ = 44100.0;
    int32_t blockSize_ = 0;
    int32_t latency_ = 0;
    IEditorLink* editor_ = nullptr;
    HeapBuffer inputPointers_{4096};
    HeapBuffer outputPointers_{4096};
    PtrList<InputChannel> inputChannels_;
    PtrList<OutputChannel> outputChannels_;
};

}  // namespace tav
