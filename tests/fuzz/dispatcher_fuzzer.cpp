// Sequences of host calls with hostile arguments: any opcode, index, value and
// float, pointers to buffers exactly as large as the interface promises, events
// and speaker arrangements with odd counts, and process calls of any length
// between them. Nothing may be read or written outside what the host handed
// over, finite audio in must give finite audio out, and at the end the plug-in
// must take its own chunks back unchanged.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>
#include <memory>

#include "tests/fuzz/fuzz_plugin.h"

namespace tav::fuzz {
namespace {

constexpr VstInt32 kVendorWheel = 0x73744341;
constexpr VstIntPtr kVendorWheelValue = 0x57686565;
constexpr uint8_t kUnwritten = 0xA5;

VstInt32 Index(FuzzedDataProvider& in) {
    static const VstInt32 kInteresting[] = {0,
                                            1,
                                            2,
                                            -1,
                                            9,
                                            10,
                                            12,
                                            13,
                                            27,
                                            std::numeric_limits<VstInt32>::min(),
                                            std::numeric_limits<VstInt32>::max()};
    if (in.ConsumeBool()) return in.PickValueInArray(kInteresting);
    return in.ConsumeIntegral<VstInt32>();
}

VstIntPtr Value(FuzzedDataProvider& in) {
    static const VstIntPtr kInteresting[] = {0,
                                             1,
                                             2,
                                             -1,
                                             3,
                                             9,
                                             10,
                                             13,
                                             512,
                                             1024,
                                             4096,
                                             std::numeric_limits<VstInt32>::max(),
                                             std::numeric_limits<VstIntPtr>::min(),
                                             std::numeric_limits<VstIntPtr>::max()};
    if (in.ConsumeBool()) return in.PickValueInArray(kInteresting);
    return in.ConsumeIntegral<VstIntPtr>();
}

float Float(FuzzedDataProvider& in) {
    static const float kInteresting[] = {0.0f,
                                         1.0f,
                                         -1.0f,
                                         0.5f,
                                         44100.0f,
                                         1e-30f,
                                         1e-45f,
                                         std::numeric_limits<float>::max(),
                                         std::numeric_limits<float>::infinity(),
                                         -std::numeric_limits<float>::infinity(),
                                         std::numeric_limits<float>::quiet_NaN()};
    if (in.ConsumeBool()) return in.PickValueInArray(kInteresting);
    const uint32_t bits = in.ConsumeIntegral<uint32_t>();
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

ExactBuffer Text(FuzzedDataProvider& in) {
    const std::string text = in.ConsumeRandomLengthString(300);
    return TextBuffer(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

// A text answer is terminated inside the buffer, or not written at all.
void RequireTerminatedOrUntouched(const ExactBuffer& text, VstInt32 opcode, VstInt32 index) {
    const bool untouched = std::all_of(text.Data(), text.Data() + text.Size(),
                                       [](uint8_t b) { return b == kUnwritten; });
    FUZZ_CHECK(untouched || std::memchr(text.Data(), 0, text.Size()) != nullptr,
               "opcode " + std::to_string(opcode) + " index " + std::to_string(index));
}

// Buffers of one call, kept alive until it returns.
struct CallArgs {
    std::vector<std::unique_ptr<ExactBuffer>> buffers;
    uint8_t* Add(size_t size, uint8_t fill = kUnwritten) {
        buffers.push_back(std::make_unique<ExactBuffer>(size, fill));
        return buffers.back()->Data();
    }
};

// Bytes an opcode may write as text at ptr.
size_t TextRoom(VstInt32 opcode) {
    switch (opcode) {
        case effGetProgramName:
        case effGetProgramNameIndexed:
            return kVstMaxProgNameLen;
        case effGetParamLabel:
        case effGetParamDisplay:
            return kVstMaxParamStrLen;
        case effGetParamName:  // hosts give 32 bytes: VST 2.4's 8 fit few names
        case effGetEffectName:
            return kVstExtMaxParamStrLen;
        case effGetVendorString:
        case effGetProductString:
            return kVstMaxVendorStrLen;
        default:
            return 0;
    }
}

VstEvents* Events(FuzzedDataProvider& in, CallArgs& args) {
    const int count = in.ConsumeIntegralInRange(-2, 6);
    const size_t slots = count > 0 ? static_cast<size_t>(count) : 0;
    auto* events =
        reinterpret_cast<VstEvents*>(args.Add(offsetof(VstEvents, events) + slots * sizeof(void*)));
    events->numEvents = count;
    VstEvent** entries = events->events;  // numEvents long, whatever the declaration says
    for (size_t i = 0; i < slots; ++i) {
        VstEvent* event = nullptr;
        const int kind = in.ConsumeIntegralInRange(0, 3);
        if (kind == 1 || kind == 3) {
            auto* midi = reinterpret_cast<VstMidiEvent*>(args.Add(sizeof(VstMidiEvent)));
            midi->type = kind == 1 ? kVstMidiType : in.ConsumeIntegral<VstInt32>();
            midi->byteSize = sizeof(VstMidiEvent);  // any type, but only 32 bytes
            midi->deltaFrames = in.ConsumeIntegral<VstInt32>();
            for (char& byte : midi->midiData)
                byte = static_cast<char>(in.ConsumeIntegral<uint8_t>());
            event = reinterpret_cast<VstEvent*>(midi);
        } else if (kind == 2) {
            auto* sysex = reinterpret_cast<VstMidiSysexEvent*>(args.Add(sizeof(VstMidiSysexEvent)));
            sysex->type = kVstSysExType;
            // Sized over the whole record, or as older hosts do, without type and byteSize.
            sysex->byteSize = sizeof(VstMidiSysexEvent) - (in.ConsumeBool() ? 0 : 8);
            sysex->deltaFrames = in.ConsumeIntegral<VstInt32>();
            const int bytes = in.ConsumeIntegralInRange(0, 16);
            sysex->dumpBytes = in.ConsumeBool() ? bytes : in.ConsumeIntegral<VstInt32>();
            sysex->sysexDump = reinterpret_cast<char*>(args.Add(static_cast<size_t>(bytes)));
            event = reinterpret_cast<VstEvent*>(sysex);
        }
        entries[i] = event;
    }
    return events;
}

VstSpeakerArrangement* Arrangement(FuzzedDataProvider& in, CallArgs& args) {
    auto* arrangement =
        reinterpret_cast<VstSpeakerArrangement*>(args.Add(sizeof(VstSpeakerArrangement), 0));
    static const VstInt32 kCounts[] = {0, 1, 2, 3, -1, 8, std::numeric_limits<VstInt32>::min()};
    arrangement->numChannels =
        in.ConsumeBool() ? in.PickValueInArray(kCounts) : in.ConsumeIntegral<VstInt32>();
    arrangement->type = in.ConsumeIntegral<VstInt32>();
    return arrangement;
}

void Call(FuzzedPlugin& plugin, FuzzedDataProvider& in) {
    VstInt32 opcode = in.ConsumeBool() ? in.ConsumeIntegralInRange(0, 75) : Index(in);
    VstInt32 index = Index(in);
    VstIntPtr value = Value(in);
    const float opt = Float(in);
    const bool withPtr = in.ConsumeIntegralInRange(0, 7) != 0;
    CallArgs args;
    void* ptr = nullptr;
    ExactBuffer* text = nullptr;

    switch (opcode) {
        case effClose:
            plugin.Reload();
            return;
        case effEditOpen:
            // A parent window is not something a fuzzer can invent.
            break;
        case effSetProgramName:
        case effString2Parameter:
        case effCanDo:
            if (withPtr) {
                args.buffers.push_back(std::make_unique<ExactBuffer>(Text(in)));
                ptr = args.buffers.back()->Data();
            }
            break;
        case effEditGetRect:
        case effGetChunk:
            if (withPtr) ptr = args.Add(sizeof(void*));
            break;
        case effSetChunk: {
            if (!withPtr) break;
            if (in.ConsumeBool()) {
                // The plug-in's own chunk (or a tail of it), as hosts hand it back.
                void* own = nullptr;
                const VstIntPtr size = plugin.Dispatch(effGetChunk, index, 0, &own);
                if (size <= 0 || own == nullptr) break;
                const VstIntPtr skip =
                    in.ConsumeBool() ? 0 : in.ConsumeIntegralInRange<VstIntPtr>(0, size - 1);
                value = in.ConsumeIntegralInRange<VstIntPtr>(0, size - skip);
                ptr = static_cast<uint8_t*>(own) + skip;
            } else {
                const std::string bytes = in.ConsumeRandomLengthString(400);
                ptr = args.Add(bytes.size());
                if (!bytes.empty()) std::memcpy(ptr, bytes.data(), bytes.size());
                value = static_cast<VstIntPtr>(bytes.size());
            }
            break;
        }
        case effProcessEvents:
            if (withPtr) ptr = Events(in, args);
            break;
        case effGetInputProperties:
        case effGetOutputProperties:
            if (withPtr) ptr = args.Add(sizeof(VstPinProperties));
            break;
        case effSetSpeakerArrangement:
            value = in.ConsumeBool() ? reinterpret_cast<VstIntPtr>(Arrangement(in, args)) : 0;
            if (withPtr) ptr = Arrangement(in, args);
            break;
        case effGetSpeakerArrangement:
            value = in.ConsumeBool() ? reinterpret_cast<VstIntPtr>(args.Add(sizeof(void*))) : 0;
            if (withPtr) ptr = args.Add(sizeof(void*));
            break;
        case effGetMidiKeyName:
            if (withPtr) ptr = args.Add(sizeof(MidiKeyName));
            break;
        case effVendorSpecific: {
            static const VstInt32 kIndices[] = {effGetParamDisplay, effGetParamName,
                                                effString2Parameter, kVendorWheel};
            if (in.ConsumeBool()) index = in.PickValueInArray(kIndices);
            if (index == kVendorWheel && in.ConsumeBool()) value = kVendorWheelValue;
            if (in.ConsumeBool()) value = in.ConsumeIntegralInRange(-1, 14);
            if (withPtr) {
                // The extension texts use 32-byte buffers that hold the typed text too.
                const std::string typed = in.ConsumeRandomLengthString(kVstExtMaxParamStrLen - 1);
                ptr = args.Add(kVstExtMaxParamStrLen, 0);
                std::memcpy(ptr, typed.data(), typed.size());
            }
            break;
        }
        default:
            if (TextRoom(opcode) > 0 && withPtr) {
                args.buffers.push_back(std::make_unique<ExactBuffer>(TextRoom(opcode), kUnwritten));
                text = args.buffers.back().get();
                ptr = text->Data();
            } else if (withPtr) {
                ptr = args.Add(0);  // an opcode that takes no pointer must not touch it
            }
            break;
    }

    const VstIntPtr result = plugin.Dispatch(opcode, index, value, ptr, opt);

    if (text != nullptr) RequireTerminatedOrUntouched(*text, opcode, index);
    if (opcode == effGetChunk && result > 0) {
        // The whole announced chunk must be there to read.
        const auto* chunk = *static_cast<const uint8_t* const*>(ptr);
        uint32_t sum = 0;
        for (VstIntPtr i = 0; i < result; ++i) sum += chunk[i];
        FUZZ_CHECK(sum != 0xFFFFFFFF, "");
    }
    if (opcode == effEditGetRect && result == 1) {
        const ERect* rect = *static_cast<ERect* const*>(ptr);
        FUZZ_CHECK(rect->right >= rect->left && rect->bottom >= rect->top, "editor rectangle");
    }
    if (opcode == effGetSpeakerArrangement && result == 1) {
        const auto* out = *static_cast<VstSpeakerArrangement* const*>(ptr);
        FUZZ_CHECK(out->numChannels >= 0, "output arrangement");
    }
    if (opcode == effGetProgram) {
        FUZZ_CHECK(result >= 0 && result < plugin.Effect()->numPrograms,
                   "program " + std::to_string(result));
    }
}

void SetParameter(FuzzedPlugin& plugin, FuzzedDataProvider& in) {
    AEffect* effect = plugin.Effect();
    effect->setParameter(effect, Index(in), Float(in));
}

void GetParameter(FuzzedPlugin& plugin, FuzzedDataProvider& in) {
    AEffect* effect = plugin.Effect();
    const VstInt32 index = Index(in);
    const float unit = effect->getParameter(effect, index);
    const bool valid = index >= 0 && index < effect->numParams;
    FUZZ_CHECK(valid ? unit >= 0.0f && unit <= 1.0f : unit == 0.0f,
               "parameter " + std::to_string(index) + " at " + std::to_string(unit));
}

template <class Sample>
struct Channels {
    std::vector<std::unique_ptr<ExactBuffer>> buffers;
    std::vector<Sample*> pointers;
    Sample* Add(int frames) {
        buffers.push_back(
            std::make_unique<ExactBuffer>(static_cast<size_t>(frames) * sizeof(Sample)));
        pointers.push_back(reinterpret_cast<Sample*>(buffers.back()->Data()));
        return pointers.back();
    }
};

template <class Sample>
void Process(FuzzedPlugin& plugin, FuzzedDataProvider& in, int kind) {
    AEffect* effect = plugin.Effect();
    static const int kFrames[] = {0, 1, 7, 64, 511, 512, 513, 1024, 1100, -1, -512};
    const int frames =
        in.ConsumeBool() ? in.PickValueInArray(kFrames) : in.ConsumeIntegralInRange(0, 1100);
    const int room = frames > 0 ? frames : 0;
    const int layout = in.ConsumeIntegralInRange(0, 5);
    Channels<Sample> inputs, outputs;
    bool finiteIn = true;
    for (int c = 0; c < effect->numInputs; ++c) {
        Sample* samples = inputs.Add(room);
        FillSamples(samples, room, c);
        // Now and then a few hostile samples: NaN, infinities, denormals, extremes.
        for (int n = in.ConsumeIntegralInRange(0, 3); n > 0 && room > 0; --n) {
            const float x = Float(in);
            samples[in.ConsumeIntegralInRange(0, room - 1)] = static_cast<Sample>(x);
            finiteIn = finiteIn && std::isfinite(x) && std::fabs(x) < 1e4f;
        }
    }
    for (int c = 0; c < effect->numOutputs; ++c) FillSamples(outputs.Add(room), room, 7);
    if (layout == 1) inputs.pointers[0] = nullptr;  // a missing buffer
    if (layout == 2) outputs.pointers[outputs.pointers.size() - 1] = nullptr;
    if (layout == 3) outputs.pointers = inputs.pointers;  // in place
    Sample** inArray = layout == 4 ? nullptr : inputs.pointers.data();
    Sample** outArray = layout == 5 ? nullptr : outputs.pointers.data();

    if constexpr (sizeof(Sample) == sizeof(double)) {
        effect->processDoubleReplacing(effect, inArray, outArray, frames);
    } else if (kind == 0) {
        effect->processReplacing(effect, inArray, outArray, frames);
    } else {
        effect->process(effect, inArray, outArray, frames);
    }
    if (!finiteIn || outArray == nullptr) return;
    for (const Sample* samples : outputs.pointers) {
        FUZZ_CHECK(samples == nullptr || AllFinite(samples, room), "audio not finite");
    }
}

void Transport(FuzzedDataProvider& in) {
    static const double kTempi[] = {120.0,
                                    0.0,
                                    -1.0,
                                    1e-300,
                                    1e-6,
                                    1e300,
                                    999.0,
                                    std::numeric_limits<double>::quiet_NaN(),
                                    std::numeric_limits<double>::infinity()};
    HostTransport& t = tav::fuzz::Transport();
    t.tempo = in.ConsumeBool() ? in.PickValueInArray(kTempi) : in.ConsumeFloatingPoint<double>();
    t.samplePos =
        in.ConsumeBool() ? in.PickValueInArray(kTempi) : in.ConsumeFloatingPoint<double>();
    t.flags = in.ConsumeIntegral<VstInt32>();
    t.timeSigNumerator = in.ConsumeIntegral<VstInt32>();
    t.timeSigDenominator = in.ConsumeIntegral<VstInt32>();
}

}  // namespace
}  // namespace tav::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tav::fuzz;
    FuzzedDataProvider in(data, size);
    FuzzedPlugin plugin;
    for (int step = 0; step < 64 && in.remaining_bytes() > 0; ++step) {
        switch (in.ConsumeIntegralInRange(0, 11)) {
            case 0:
                SetParameter(plugin, in);
                break;
            case 1:
                GetParameter(plugin, in);
                break;
            case 2:
            case 3:
                Process<float>(plugin, in, in.ConsumeIntegralInRange(0, 1));
                break;
            case 4:
                Process<double>(plugin, in, 0);
                break;
            case 5:
                Transport(in);
                break;
            default:
                Call(plugin, in);
                break;
        }
    }
    RequireOwnChunksTaken(plugin);
    FUZZ_CHECK(plugin.ProcessesFinite(64), "audio not finite after the sequence");
    return 0;
}
