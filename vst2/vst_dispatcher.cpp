// The dispatcher: every VST 2.4 opcode a host sends, mapped onto the core.
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "core/number_text.h"
#include "vst2/ivst_effect.h"

namespace tav {
namespace {

constexpr VstIntPtr kIdentifyAnswer = 0x4E764566;  // 'NvEf'
constexpr VstIntPtr kVendorAnswer = 0xBEEF;
constexpr VstIntPtr kExtensionAnswer = 0xBEEF0000;
constexpr VstInt32 kVendorWheel = 0x73744341;        // 'stCA'
constexpr VstIntPtr kVendorWheelValue = 0x57686565;  // 'Whee'
constexpr VstInt32 kVendorScaleHost = 0x50726553;    // 'PreS'
constexpr VstIntPtr kVendorScaleValue = 0x41654373;  // 'AeCs'

// A SysEx record is read only when the size its host declares reaches past the dump
// pointer. Hosts count that size either over the whole 48-byte record or, as older
// ones do, without type and byteSize; both pass, while an event of the common 32
// bytes that merely says it is SysEx does not.
constexpr VstInt32 kSysExFieldsEnd = offsetof(VstMidiSysexEvent, sysexDump) + sizeof(char*);

char* Text(void* ptr) {
    return static_cast<char*>(ptr);
}

}  // namespace

VstIntPtr IVstEffect::DispatcherProc(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                     VstIntPtr value, void* ptr, float opt) {
    IVstEffect* self = FromEffect(effect);
    if (self == nullptr) return 0;
    // The editor's X11 window may run its idle work on a thread of its own when the
    // host never sends effEditIdle. That work takes the editor's lock and then, for
    // short steps, the core lock; so the editor's own calls run outside the core lock.
    if (opcode == effEditIdle) {
        if (IEditorLink* editor = self->Editor()) editor->Idle();
        return 0;
    }
    // The scale is settled before the host first needs the size (it may look at the
    // screen, which is no work for the core lock).
    if (opcode == effEditGetRect || opcode == effEditOpen) {
        if (IEditorLink* editor = self->Editor()) editor->SettleScale();
    }
    if (opcode == effEditOpen || opcode == effEditClose) {
        return self->DispatchEditorWindow(opcode, ptr);
    }
    // A screen's scale factor resizes the open window, which takes the window's own
    // lock before the core lock; so it is taken outside the core lock too.
    if (opcode == effVendorSpecific && index == kVendorScaleHost) {
        IEditorLink* editor = self->Editor();
        const int percent = NearestEditorScale(opt);
        if (value != kVendorScaleValue || editor == nullptr || percent == 0) return 0;
        editor->SetScalePercent(percent);
        return 1;
    }
    if (opcode == effClose) {
        {
            CoreLockGuard guard(&self->Lock());
            self->CheckParamBurst();
            self->BeforeClose();
        }
        // A host that closes the instance with its editor still open: the window
        // goes first, while the whole instance still exists for it.
        if (IEditorLink* editor = self->Editor()) editor->CloseNative();
        delete self;
        return 0;
    }
    CoreLockGuard guard(&self->Lock());
    return self->Dispatch(opcode, index, value, ptr, opt);
}

VstIntPtr IVstEffect::DispatchEditorWindow(VstInt32 opcode, void* parent) {
    {
        CoreLockGuard guard(&Lock());
        CheckParamBurst();
    }
    IEditorLink* editor = Editor();
    if (editor == nullptr) return 0;
    if (opcode == effEditOpen) {
        if (editor->OpenInParent(parent) == nullptr) return 0;
        CoreLockGuard guard(&Lock());
        EditorOpened();
        return 1;
    }
    {
        CoreLockGuard guard(&Lock());
        EditorClosed();
    }
    editor->CloseNative();
    return 1;
}

void IVstEffect::CheckParamBurst() {
    if (burstCount_ > 1 && !burstLatch_) {
        OnParamBurst(burstHighestIndex_);
        burstLatch_ = true;
    }
    burstCount_ = 0;
    burstHighestIndex_ = -1;
}

VstIntPtr IVstEffect::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                               float opt) {
    // Idle calls arrive many times a second and must not disturb the burst count.
    if (opcode == effEditIdle || opcode == effIdle) return 0;
    CheckParamBurst();

    PluginParam* param = Param(index);  // none for an index out of range
    switch (opcode) {
        case effOpen:
            // Some hosts open twice; the host set-up runs once.
            HostQuirksInit();
            NotifyAllParamsChanged();
            return 0;
        case effSetProgram:
            StoreCurrentPreset(nullptr);  // edits survive a switch away and back
            SelectPreset(value >= 0 && value < PresetCount() ? static_cast<int>(value) : -1);
            return 0;
        case effGetProgram:
            return CurrentPreset();
        case effSetProgramName:
            if (ptr != nullptr) StoreCurrentPreset(Text(ptr));
            return 0;
        case effGetProgramName:
            if (ptr != nullptr)
                CopyText(Text(ptr), kVstMaxProgNameLen, PresetName(CurrentPreset()));
            return 0;
        case effGetParamLabel:
            if (ptr != nullptr && param != nullptr) {
                CopyText(Text(ptr), kVstMaxParamStrLen, param->UnitLabel());
            }
            return 0;
        case effGetParamDisplay:
            if (ptr != nullptr && param != nullptr) {
                param->FormatValue(param->value, false, Text(ptr), kVstMaxParamStrLen);
            }
            return 0;
        case effGetParamName:
            // Hosts reserve 32 bytes here in practice, so "Right Sweep Rate" fits
            // although the old limit is 8.
            if (ptr != nullptr && param != nullptr) {
                CopyText(Text(ptr), kVstExtMaxParamStrLen, param->Name());
            }
            return 0;
        case effSetSampleRate:
            // Some hosts send 0 before they know their rate: keep the old one.
            if (SetSampleRate(static_cast<double>(opt))) ResetProcessing();
            return 0;
        case effSetBlockSize:
            if (value >= 1 && value <= 0x7FFFFFFF && SetBlockFrames(static_cast<int>(value))) {
                ResetProcessing();
            }
            return 0;
        case effMainsChanged:
            if (value == 0) {
                ActivationChanged(false);
                ResetProcessing();
            } else {
                ActivationChanged(true);
            }
            return 0;
        case effEditGetRect:
            if (ptr == nullptr || Editor() == nullptr) return 0;
            *static_cast<ERect**>(ptr) = &editorRect_;
            return 1;
        case effIdentify:
            return kIdentifyAnswer;
        case effGetChunk:
            if (ptr == nullptr) return 0;
            return GetChunk(index, index == 0 ? bankChunk_ : programChunk_,
                            static_cast<void**>(ptr));
        case effSetChunk:
            if (ptr == nullptr || value < 0) return 0;
            return SetChunk(index, index == 0 ? bankChunk_ : programChunk_, ptr, value);
        case effProcessEvents:
            return ProcessEvents(static_cast<const VstEvents*>(ptr));
        case effCanBeAutomated:
            return param != nullptr ? 1 : 0;
        case effString2Parameter:
            return String2Parameter(index, static_cast<const char*>(ptr));
        case effGetProgramNameIndexed:
            if (ptr == nullptr) return 0;
            CopyText(Text(ptr), kVstMaxProgNameLen, PresetName(index));
            return Text(ptr)[0] != '\0' ? 1 : 0;
        case effGetInputProperties:
            return PinProperties(index, ptr, InputCount(), "Input");
        case effGetOutputProperties:
            return PinProperties(index, ptr, OutputCount(), "Output");
        case effGetPlugCategory:
            return IsInstrument() ? kPlugCategSynth : kPlugCategEffect;
        case effSetSpeakerArrangement:
            return SetSpeakerArrangement(value, ptr);
        case effSetBypass:
            ActivationChanged(value != 1);
            return 0;
        case effGetEffectName:
            if (ptr == nullptr) return 0;
            CopyText(Text(ptr), kVstMaxEffectNameLen, EffectName());
            return 1;
        case effGetVendorString:
            if (ptr == nullptr) return 0;
            CopyText(Text(ptr), kVstMaxVendorStrLen, VendorName());
            return 1;
        case effGetProductString:
            if (ptr == nullptr) return 0;
            CopyText(Text(ptr), kVstMaxProductStrLen, ProductName());
            return 1;
        case effGetVendorVersion:
            return VersionDecimal();
        case effVendorSpecific:
            return VendorSpecific(index, value, ptr, opt);
        case effCanDo:
            return CanDo(static_cast<const char*>(ptr));
        case effGetVstVersion:
            return 2400;
        case effGetMidiKeyName: {
            if (ptr == nullptr) return 0;
            auto* key = static_cast<MidiKeyName*>(ptr);
            std::memset(key->keyName, 0, sizeof key->keyName);
            const bool named = KeyNameFor(key->thisKeyNumber, key->keyName, kVstMaxNameLen);
            key->keyName[kVstMaxNameLen - 1] = '\0';
            return named ? 1 : 0;
        }
        case effGetSpeakerArrangement:
            // Both pointers-to-pointer are needed; a host that passes none gets nothing.
            if (ptr == nullptr) return 0;
            if (value != 0) {
                *reinterpret_cast<VstSpeakerArrangement**>(value) = &inputArrangement_;
            }
            *static_cast<VstSpeakerArrangement**>(ptr) = &outputArrangement_;
            return 1;
        // MIDI-program queries (62-65) and program-change brackets (67, 68): this
        // effect has no MIDI programs, and a bracket must not reset the sound.
        case effGetMidiProgramName:
        case effGetCurrentMidiProgram:
        case effGetMidiProgramCategory:
        case effHasMidiProgramsChanged:
        case effBeginSetProgram:
        case effEndSetProgram:
        default:
            return 0;
    }
}

VstIntPtr IVstEffect::String2Parameter(int index, const char* text) {
    PluginParam* param = Param(index);
    if (param == nullptr) return 0;
    if (text == nullptr) return 1;  // a host probing whether typing is supported
    const double x = param->ParseText(text);
    if (!std::isfinite(x)) return 0;
    if (Editor() != nullptr) Editor()->PushParamToControls(index, x, false);
    param->SetClamped(x);
    ParamChanged(index);
    return 1;
}

VstIntPtr IVstEffect::PinProperties(int index, void* ptr, int count, const char* label) {
    if (ptr == nullptr || index < 0 || index >= count) return 0;
    auto* pin = static_cast<VstPinProperties*>(ptr);
    pin->flags = kVstPinIsActive;
    if (index % 2 == 0 && index < count - 1) pin->flags |= kVstPinIsStereo;
    std::snprintf(pin->label, kVstMaxLabelLen, "%s %d", label, index + 1);
    return 1;
}

VstIntPtr IVstEffect::SetSpeakerArrangement(VstIntPtr input, void* output) {
    auto channelsOf = [](const VstSpeakerArrangement* arrangement, int available) {
        const int n = arrangement->numChannels;
        return n < 0 ? 0 : (n > available ? available : n);
    };
    if (input != 0) {
        const int n =
            channelsOf(reinterpret_cast<const VstSpeakerArrangement*>(input), InputCount());
        ConnectInputs(0, n, true);
        ConnectInputs(n, InputCount() - n, false);
    }
    if (output != nullptr) {
        const int n = channelsOf(static_cast<const VstSpeakerArrangement*>(output), OutputCount());
        ConnectOutputs(0, n, true);
        ConnectOutputs(n, OutputCount() - n, false);
    }
    return 1;
}

// Extension calls of one host family (REAPER's): display and parse texts for a
// given value without changing the parameter, and ask whether a parameter is a switch.
VstIntPtr IVstEffect::VendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    const bool inRange = value >= 0 && value < ParamCount();
    PluginParam* param = inRange ? Param(static_cast<int>(value)) : nullptr;
    switch (index) {
        case effGetParamDisplay:
            if (ptr == nullptr) return 0;
            if (param != nullptr && std::isfinite(opt)) {
                param->FormatValue(opt, true, Text(ptr), kVstMaxParamStrLen);
            }
            return kVendorAnswer;
        case effGetParamName: {
            if (param == nullptr) return 0;
            const bool twoStates = param->kind == KindToggle ||
                                   ((param->kind == KindInteger || param->kind == KindChoice) &&
                                    std::fabs(param->maxValue - param->minValue) < 1.5);
            return twoStates ? kVendorAnswer : 0;
        }
        case effString2Parameter: {
            if (ptr == nullptr || param == nullptr) return 0;
            if (Text(ptr)[0] == '\0') return kVendorAnswer;
            const double x = param->ParseText(Text(ptr));
            if (!std::isfinite(x)) return 0;
            // A unit value is at most "1.00000000000000000": 20 bytes.
            FormatFixed(param->UnitOf(x), 17, Text(ptr), kVstExtMaxParamStrLen);
            return kVendorAnswer;
        }
        case kVendorWheel:
            if (value != kVendorWheelValue || Editor() == nullptr) return 0;
            return Editor()->HandleCursorWheel(opt);
        default:
            return 0;
    }
}

VstIntPtr IVstEffect::CanDo(const char* text) {
    if (text == nullptr) return 0;
    auto is = [text](const char* what) { return std::strcmp(text, what) == 0; };
    if (is("receiveVstTimeInfo")) return 1;
    if (MidiMode() != 0) {
        if ((MidiMode() & 1) != 0 && (is("sendVstEvents") || is("sendVstMidiEvent"))) return 1;
        if (MidiMode() <= 2 && (is("receiveVstEvents") || is("receiveVstMidiEvent"))) return 1;
    }
    if (is("hasHostExtensions")) {
        hostExtensionFlags_ |= HostExtHasExtensions;
        return kExtensionAnswer;
    }
    if (is("hasHostViewAsConfig")) {
        hostExtensionFlags_ |= HostExtViewAsConfig;
        return kExtensionAnswer;
    }
    return 0;
}

VstIntPtr IVstEffect::ProcessEvents(const VstEvents* events) {
    if (events == nullptr) return 0;
    // Hosts allocate numEvents entries past the two the record declares: walk them
    // through a pointer, never by indexing the declared array beyond its end.
    const VstEvent* const* entries = events->events;
    for (VstInt32 i = 0; i < events->numEvents; ++i) {
        const VstEvent* event = entries[i];
        if (event == nullptr) continue;
        if (event->type == kVstMidiType) {
            const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
            MidiMessage msg;
            msg.offset = midi->deltaFrames;
            msg.status = static_cast<uint8_t>(midi->midiData[0]);
            msg.data1 = static_cast<uint8_t>(midi->midiData[1]);
            msg.data2 = static_cast<uint8_t>(midi->midiData[2]);
            MidiMessageIn(msg);
        } else if (event->type == kVstSysExType && event->byteSize >= kSysExFieldsEnd) {
            const auto* sysex = reinterpret_cast<const VstMidiSysexEvent*>(event);
            SysExMessage msg;
            msg.offset = sysex->deltaFrames;
            msg.size = sysex->dumpBytes;
            msg.bytes = reinterpret_cast<const uint8_t*>(sysex->sysexDump);
            SysExIn(msg);
        }
    }
    return 1;
}

}  // namespace tav
