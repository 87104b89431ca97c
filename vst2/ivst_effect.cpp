#include "vst2/ivst_effect.h"

#include <cmath>
#include <cstring>

#include "vst2/host_identify.h"

namespace tav {

VstInt32 ArrangementFor(int channels) {
    switch (channels) {
        case 0:
            return kSpeakerArrEmpty;
        case 1:
            return kSpeakerArrMono;
        case 2:
            return kSpeakerArrStereo;
        default:
            return kSpeakerArrUserDefined;
    }
}

IVstEffect::IVstEffect(audioMasterCallback hostCallback, const EffectIdentity& identity)
    : IEffectCore(identity), hostCallback_(hostCallback) {
    effect_.magic = kEffectMagic;
    effect_.dispatcher = &DispatcherProc;
    effect_.process = &ProcessAccumulatingProc;
    effect_.setParameter = &SetParameterProc;
    effect_.getParameter = &GetParameterProc;
    effect_.numPrograms = PresetCount();
    effect_.numParams = ParamCount();
    effect_.numInputs = InputCount();
    effect_.numOutputs = OutputCount();
    effect_.flags = effFlagsCanReplacing | effFlagsCanDoubleReplacing;
    if (DoesChunks()) effect_.flags |= effFlagsProgramChunks;
    if (SupportsChannels(1, -1)) effect_.flags |= effFlagsCanMono;
    if (IsInstrument()) effect_.flags |= effFlagsIsSynth;
    effect_.initialDelay = Latency();
    effect_.ioRatio = 1.0f;
    effect_.object = this;
    effect_.uniqueID = UniqueId();
    effect_.version = VersionDecimal();
    effect_.processReplacing = &ProcessReplacingProc;
    effect_.processDoubleReplacing = &ProcessDoubleProc;

    inputArrangement_.numChannels = InputCount();
    inputArrangement_.type = ArrangementFor(InputCount());
    outputArrangement_.numChannels = OutputCount();
    outputArrangement_.type = ArrangementFor(OutputCount());

    ConnectInputs(0, InputCount(), true);
    ConnectOutputs(0, OutputCount(), true);
    SetBlockFrames(1024);
}

IVstEffect::~IVstEffect() {
    programChunk_.Clear();
    bankChunk_.Clear();
}

IVstEffect* IVstEffect::FromEffect(AEffect* effect) {
    if (effect == nullptr || effect->magic != kEffectMagic) return nullptr;
    return static_cast<IVstEffect*>(effect->object);
}

VstIntPtr IVstEffect::CallHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                               float opt) {
    if (hostCallback_ == nullptr) return 0;
    return hostCallback_(&effect_, opcode, index, value, ptr, opt);
}

void IVstEffect::AttachEditor(IEditorLink* editor) {
    CoreLockGuard guard(&Lock());
    IEffectCore::AttachEditor(editor);
    if (Editor() != nullptr) {
        effect_.flags |= effFlagsHasEditor;
    } else {
        effect_.flags &= ~effFlagsHasEditor;
    }
    EditorSizeChanged();
}

void IVstEffect::EditorSizeChanged() {
    CoreLockGuard guard(&Lock());
    if (Editor() == nullptr) return;
    editorRect_.top = 0;
    editorRect_.left = 0;
    editorRect_.bottom = static_cast<int16_t>(Editor()->Height());
    editorRect_.right = static_cast<int16_t>(Editor()->Width());
}

// The host is asked first, with effEditGetRect already reporting the new size (hosts
// read it while they resize); a refusal puts the old rectangle back and the editor
// keeps its scale, so nothing is left half changed.
bool IVstEffect::ChangeEditorScale(int percent) {
    IEditorLink* editor = Editor();
    if (editor == nullptr) return false;
    if (percent == editor->ScalePercent()) return true;
    const int width = editor->WidthAt(percent);
    const int height = editor->HeightAt(percent);
    ERect old;
    {
        CoreLockGuard guard(&Lock());
        old = editorRect_;
        editorRect_.right = static_cast<int16_t>(width);
        editorRect_.bottom = static_cast<int16_t>(height);
    }
    if (CallHost(audioMasterSizeWindow, width, height) == 0) {
        CoreLockGuard guard(&Lock());
        editorRect_ = old;
        return false;
    }
    return IEffectCore::ChangeEditorScale(percent);
}

void IVstEffect::SetLatencyFrames(int frames) {
    CoreLockGuard guard(&Lock());
    effect_.initialDelay = frames;
    IEffectCore::SetLatencyFrames(frames);
}

void IVstEffect::HostBeginEdit(int index) {
    EndPendingEdit();
    CallHost(audioMasterBeginEdit, index);
}

void IVstEffect::HostAutomate(int index, double unit) {
    CallHost(audioMasterAutomate, index, 0, nullptr, static_cast<float>(unit));
}

void IVstEffect::HostEndEdit(int index) {
    CallHost(audioMasterEndEdit, index);
}

void IVstEffect::HostDisplayChanged() {
    CallHost(audioMasterUpdateDisplay);
}

const VstTimeInfo* IVstEffect::HostTimeInfo(VstInt32 wanted) {
    return reinterpret_cast<const VstTimeInfo*>(CallHost(audioMasterGetTime, 0, wanted));
}

int IVstEffect::HostSamplePosition() {
    const VstTimeInfo* info = HostTimeInfo(0);
    if (info == nullptr || !(info->samplePos >= 0.0)) return 0;
    const double position = info->samplePos + 0.5;
    // Past two billion frames (about 12 hours at 48 kHz) the position saturates.
    return position < 2147483647.0 ? static_cast<int>(position) : 2147483647;
}

double IVstEffect::HostTempo() {
    const VstTimeInfo* info = HostTimeInfo(kVstTempoValid);
    if (info == nullptr || (info->flags & kVstTempoValid) == 0) return 0.0;
    if (!(info->tempo >= 0.0) || !std::isfinite(info->tempo)) return 0.0;
    return info->tempo;
}

bool IVstEffect::HostSongBeats(double& beats) {
    const VstTimeInfo* info = HostTimeInfo(kVstPpqPosValid);
    constexpr VstInt32 kPlayingWithPosition = kVstTransportPlaying | kVstPpqPosValid;
    if (info == nullptr || (info->flags & kPlayingWithPosition) != kPlayingWithPosition)
        return false;
    if (!std::isfinite(info->ppqPos)) return false;
    beats = info->ppqPos;
    return true;
}

void IVstEffect::HostTimeSignature(int& num, int& den) {
    num = 0;
    den = 0;
    const VstTimeInfo* info = HostTimeInfo(kVstTimeSigValid);
    if (info == nullptr || (info->flags & kVstTimeSigValid) == 0) return;
    if (info->timeSigNumerator < 0 || info->timeSigDenominator < 0) return;
    num = info->timeSigNumerator;
    den = info->timeSigDenominator;
}

HostKind IVstEffect::HostId() {
    CoreLockGuard guard(&Lock());
    if (hostId_ != -1) return hostId_;
    // The VST 2.4 limit is 64 bytes; some hosts write more, so offer room.
    char product[256] = {};
    CallHost(audioMasterGetProductString, 0, 0, product);
    product[sizeof product - 1] = '\0';
    hostVersion_ = product[0] != '\0' ? PackHostVersion(CallHost(audioMasterGetVendorVersion)) : 0;
    hostId_ = IdentifyHost(product);
    return hostId_;
}

void IVstEffect::HostQuirksInit() {
    CoreLockGuard guard(&Lock());
    if (quirksDone_) return;
    quirksDone_ = true;
    const HostKind host = HostId();
    // Forte, Audition, Orion and SAWStudio hand every pin a buffer whether it is
    // used or not: take only the first two inputs, and keep extra outputs fed.
    if (host == 15 || host == 17 || host == 18 || host == 20) {
        ConnectInputs(2, InputCount() - 2, false);
        if (OutputCount() > 2) ConnectOutputs(2, OutputCount() - 2, true);
    }
    inputArrangement_.numChannels = InputCount();
    effect_.numInputs = InputCount();
    outputArrangement_.numChannels = OutputCount();
    effect_.numOutputs = OutputCount();
}

bool IVstEffect::SendMidiOut(const MidiMessage& msg) {
    VstMidiEvent event = {};
    event.type = kVstMidiType;
    event.byteSize = sizeof(VstMidiEvent);
    event.deltaFrames = msg.offset;
    event.midiData[0] = static_cast<char>(msg.status);
    event.midiData[1] = static_cast<char>(msg.data1);
    event.midiData[2] = static_cast<char>(msg.data2);
    VstEvents events = {};
    events.numEvents = 1;
    events.events[0] = reinterpret_cast<VstEvent*>(&event);
    return CallHost(audioMasterProcessEvents, 0, 0, &events) == 1;
}

bool IVstEffect::SendSysExOut(const SysExMessage& msg) {
    VstMidiSysexEvent event = {};
    event.type = kVstSysExType;
    event.byteSize = sizeof(VstMidiSysexEvent);
    event.deltaFrames = msg.offset;
    event.dumpBytes = msg.size;
    event.sysexDump = reinterpret_cast<char*>(const_cast<uint8_t*>(msg.bytes));
    VstEvents events = {};
    events.numEvents = 1;
    events.events[0] = reinterpret_cast<VstEvent*>(&event);
    return CallHost(audioMasterProcessEvents, 0, 0, &events) == 1;
}

}  // namespace tav
