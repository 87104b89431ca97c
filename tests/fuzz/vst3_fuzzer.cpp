// Sequences of VST 3 host calls with hostile arguments on one processor and its
// controller: states of any bytes, process calls of any length and layout with
// parameter points out of order, beyond the block or not finite, arrangements,
// set-up and activation in any order, texts and program queries. Finite audio
// in must give finite audio out, and the processor must take its own state back
// unchanged.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "host/formats/vst3_host_objects.h"
#include "tests/fuzz/fuzz_audio.h"
#include "tests/fuzz/fuzz_check.h"
#include "vst3/class_ids.h"
#include "vst3/plugin_factory.h"

namespace tav::fuzz {
namespace {

using namespace tav::vst3;
using namespace tav::vst3host;

ParamID Id(FuzzedDataProvider& in) {
    static const ParamID kInteresting[] = {0,  3,    4,    10,   11,  12,
                                           13, 1000, 1001, 1002, 999, 0xFFFFFFFFu};
    return in.ConsumeBool() ? in.PickValueInArray(kInteresting) : in.ConsumeIntegral<ParamID>();
}

double Value(FuzzedDataProvider& in) {
    static const double kInteresting[] = {0.0,
                                          1.0,
                                          0.5,
                                          -1.0,
                                          2.0,
                                          1e-300,
                                          std::numeric_limits<double>::infinity(),
                                          std::numeric_limits<double>::quiet_NaN()};
    return in.ConsumeBool() ? in.PickValueInArray(kInteresting) : in.ConsumeProbability<double>();
}

struct Plugin {
    HostApplication host;
    RecordingHandler handler;
    IComponent* component = nullptr;
    IAudioProcessor* processor = nullptr;
    IEditController* controller = nullptr;
    IUnitInfo* units = nullptr;

    Plugin() {
        IPluginFactory* factory = AcquireFactory();
        void* object = nullptr;
        factory->createInstance(kProcessorCid.Data(), IComponent::iid.Data(), &object);
        component = static_cast<IComponent*>(object);
        factory->createInstance(kControllerCid.Data(), IEditController::iid.Data(), &object);
        controller = static_cast<IEditController*>(object);
        factory->release();
        component->queryInterface(IAudioProcessor::iid.Data(), &object);
        processor = static_cast<IAudioProcessor*>(object);
        controller->queryInterface(IUnitInfo::iid.Data(), &object);
        units = static_cast<IUnitInfo*>(object);
        component->initialize(&host);
        controller->initialize(&host);
        controller->setComponentHandler(&handler);
    }
    ~Plugin() {
        processor->setProcessing(0);
        component->setActive(0);
        controller->terminate();
        component->terminate();
        units->release();
        processor->release();
        controller->release();
        component->release();
    }
};

template <class Sample>
void Process(Plugin& plugin, FuzzedDataProvider& in, int32 sampleSize) {
    const int frames = in.ConsumeIntegralInRange(0, 3000);
    const int channels = in.ConsumeIntegralInRange(0, 3);
    auto audio = MakeFuzzedAudio<Sample>(in, frames, channels);
    const bool inPlace = in.ConsumeBool();
    AudioBusBuffers buses[2] = {};
    for (int side = 0; side < 2; ++side) {
        buses[side].numChannels = channels;
        Sample** channelPointers = audio.Side(side, channels, inPlace);
        if constexpr (sizeof(Sample) == sizeof(float)) {
            buses[side].channelBuffers32 = channelPointers;
        } else {
            buses[side].channelBuffers64 = channelPointers;
        }
    }
    ParamChanges changes;
    const int points = in.ConsumeIntegralInRange(0, 40);
    for (int p = 0; p < points; ++p) {
        changes.Add(Id(in), in.ConsumeIntegralInRange(-10, frames + 10), Value(in));
    }
    ProcessContext context{};
    context.state = in.ConsumeIntegral<uint32>();
    context.tempo = in.ConsumeBool() ? 120.0 : Value(in) * 1000.0;
    context.timeSigNumerator = in.ConsumeIntegralInRange(-2, 16);
    context.timeSigDenominator = in.ConsumeIntegralInRange(-2, 16);
    context.projectTimeSamples = in.ConsumeIntegral<int64>();
    ProcessData data{};
    data.symbolicSampleSize = sampleSize;
    data.numSamples = frames;
    data.numInputs = in.ConsumeIntegralInRange(0, 1);
    data.numOutputs = in.ConsumeIntegralInRange(0, 1);
    data.inputs = in.ConsumeBool() ? &buses[0] : nullptr;
    data.outputs = in.ConsumeBool() ? &buses[1] : nullptr;
    data.inputParameterChanges = in.ConsumeBool() ? &changes : nullptr;
    data.processContext = in.ConsumeBool() ? &context : nullptr;
    plugin.processor->process(&data);
    for (const auto& b : audio.buffers) {
        for (Sample s : b) FUZZ_CHECK(std::isfinite(s), "a finite input gave a non-finite output");
    }
}

void Step(Plugin& plugin, FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange(0, 9)) {
        case 0: {
            const std::string bytes = in.ConsumeRandomLengthString(2000);
            MemoryStream stream(std::vector<uint8_t>(bytes.begin(), bytes.end()));
            if (in.ConsumeBool()) stream.FailAfter(in.ConsumeIntegralInRange<int64>(0, 2000));
            plugin.component->setState(&stream);
            stream.Rewind();
            plugin.controller->setComponentState(&stream);
            break;
        }
        case 1:
            Process<float>(plugin, in, kSample32);
            break;
        case 2:
            Process<double>(plugin, in, kSample64);
            break;
        case 3:
            plugin.controller->setParamNormalized(Id(in), Value(in));
            break;
        case 4: {
            String128 text{};
            const ParamID id = Id(in);
            plugin.controller->getParamStringByValue(id, Value(in),
                                                     in.ConsumeBool() ? text : nullptr);
            const std::string typed = in.ConsumeRandomLengthString(200);
            for (size_t i = 0; i < typed.size() && i < 127; ++i)
                text[i] = static_cast<unsigned char>(typed[i]);
            ParamValue value = 0.0;
            plugin.controller->getParamValueByString(id, text, in.ConsumeBool() ? &value : nullptr);
            plugin.controller->normalizedParamToPlain(id, Value(in));
            plugin.controller->plainParamToNormalized(id, Value(in) * 30000.0);
            break;
        }
        case 5: {
            SpeakerArrangement arrangements[3] = {in.ConsumeIntegral<uint64>(), kStereo, kMono};
            plugin.processor->setBusArrangements(
                in.ConsumeBool() ? arrangements : nullptr, in.ConsumeIntegralInRange(-1, 3),
                arrangements + in.ConsumeIntegralInRange(0, 2), in.ConsumeIntegralInRange(-1, 1));
            break;
        }
        case 6: {
            ProcessSetup setup{in.ConsumeIntegralInRange(-1, 3), in.ConsumeIntegralInRange(-1, 2),
                               in.ConsumeIntegralInRange(-5, 5000), Value(in) * 200000.0};
            plugin.component->setActive(0);
            plugin.processor->setupProcessing(in.ConsumeBool() ? &setup : nullptr);
            break;
        }
        case 7:
            plugin.component->setActive(in.ConsumeBool());
            plugin.processor->setProcessing(in.ConsumeBool());
            break;
        case 8: {
            String128 name{};
            ProgramListInfo list{};
            plugin.units->getProgramListInfo(in.ConsumeIntegralInRange(-1, 2),
                                             in.ConsumeBool() ? &list : nullptr);
            plugin.units->getProgramName(in.ConsumeIntegralInRange(0, 2),
                                         in.ConsumeIntegralInRange(-2, 9), name);
            ParameterInfo info{};
            plugin.controller->getParameterInfo(in.ConsumeIntegralInRange(-2, 16),
                                                in.ConsumeBool() ? &info : nullptr);
            plugin.controller->getParamNormalized(Id(in));
            break;
        }
        default: {
            BusInfo bus{};
            plugin.component->getBusInfo(
                in.ConsumeIntegralInRange(-1, 2), in.ConsumeIntegralInRange(-1, 2),
                in.ConsumeIntegralInRange(-1, 2), in.ConsumeBool() ? &bus : nullptr);
            plugin.component->activateBus(kAudio, kInput, in.ConsumeIntegralInRange(-1, 1),
                                          in.ConsumeBool());
            break;
        }
    }
}

}  // namespace
}  // namespace tav::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tav::fuzz;
    FuzzedDataProvider in(data, size);
    Plugin plugin;
    ProcessSetup setup{kRealtime, kSample32, 512, 44100.0};
    plugin.processor->setupProcessing(&setup);
    plugin.component->setActive(1);
    plugin.processor->setProcessing(1);
    for (int steps = 0; steps < 24 && in.remaining_bytes() > 0; ++steps) Step(plugin, in);

    // Whatever happened, the processor takes its own state back unchanged.
    MemoryStream saved;
    FUZZ_CHECK(plugin.component->getState(&saved) == kResultOk, "getState failed");
    MemoryStream reload(saved.Bytes());
    FUZZ_CHECK(plugin.component->setState(&reload) == kResultOk, "its own state was refused");
    MemoryStream again;
    plugin.component->getState(&again);
    FUZZ_CHECK(again.Bytes() == saved.Bytes(), "the state changed on a round trip");
    return 0;
}
