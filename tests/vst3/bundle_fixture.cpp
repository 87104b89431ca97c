#include "tests/vst3/bundle_fixture.h"

#include <cmath>

#include "vst3/class_ids.h"

#ifndef TAV_VST3_BINARY
#error "the build names the bundle's binary"
#endif

namespace tav::vst3test {

Bundle& Bundle::Get() {
    static Bundle bundle;
    return bundle;
}

Bundle::Bundle() : path_(TAV_VST3_BINARY) {
    if (!library_.Load(path_, &error_)) return;
#if defined(_WIN32)
    auto init = reinterpret_cast<bool (*)()>(library_.Symbol("InitDll"));
#else
    auto entry = reinterpret_cast<bool (*)(void*)>(library_.Symbol("ModuleEntry"));
    auto init = [entry] { return entry != nullptr && entry(nullptr); };
#endif
    auto get = reinterpret_cast<GetFactoryProc>(library_.Symbol("GetPluginFactory"));
    if (get == nullptr || !init()) {
        error_ = "the bundle lacks its entry points";
        return;
    }
    factory_ = get();
}

Instance::Instance(int32 sampleSize) {
    IPluginFactory* factory = Bundle::Get().Factory();
    if (factory == nullptr) return;
    void* object = nullptr;
    factory->createInstance(kProcessorCid.Data(), IComponent::iid.Data(), &object);
    component_.reset(static_cast<IComponent*>(object));
    if (!component_) return;
    TUID controllerCid = {};
    component_->getControllerClassId(controllerCid);
    object = nullptr;
    factory->createInstance(controllerCid, IEditController::iid.Data(), &object);
    controller_.reset(static_cast<IEditController*>(object));
    processor_ = Query<IAudioProcessor>(component_.get());
    if (!controller_ || !processor_) return;
    component_->initialize(&host_);
    controller_->initialize(&host_);
    controller_->setComponentHandler(&handler_);
    auto a = Query<IConnectionPoint>(component_.get());
    auto b = Query<IConnectionPoint>(controller_.get());
    a->connect(b.get());
    b->connect(a.get());
    SpeakerArrangement stereo = kStereo;
    processor_->setBusArrangements(&stereo, 1, &stereo, 1);
    ProcessSetup setup{kRealtime, sampleSize, kMaxBlock, kRate};
    processor_->setupProcessing(&setup);
    component_->setActive(1);
    processor_->setProcessing(1);
}

Instance::~Instance() {
    if (!component_ || !controller_) return;
    processor_->setProcessing(0);
    component_->setActive(0);
    auto a = Query<IConnectionPoint>(component_.get());
    auto b = Query<IConnectionPoint>(controller_.get());
    a->disconnect(b.get());
    b->disconnect(a.get());
    controller_->terminate();
    component_->terminate();
}

namespace {

template <class Sample>
tresult RunBlocks(IAudioProcessor* processor, int32 sampleSize,
                  const std::vector<std::vector<Sample>>& in, std::vector<std::vector<Sample>>& out,
                  ParamChanges* changes, double tempo, int64& position) {
    const int frames = static_cast<int>(in[0].size());
    out.assign(2, std::vector<Sample>(static_cast<size_t>(frames)));
    ParamChanges none;
    tresult result = kResultOk;
    for (int start = 0; start < frames && result == kResultOk; start += Instance::kMaxBlock) {
        const int n = std::min(Instance::kMaxBlock, frames - start);
        Sample* ins[2] = {const_cast<Sample*>(in[0].data()) + start,
                          const_cast<Sample*>(in[1].data()) + start};
        Sample* outs[2] = {out[0].data() + start, out[1].data() + start};
        AudioBusBuffers inBus{};
        AudioBusBuffers outBus{};
        inBus.numChannels = outBus.numChannels = 2;
        if constexpr (sizeof(Sample) == sizeof(float)) {
            inBus.channelBuffers32 = ins;
            outBus.channelBuffers32 = outs;
        } else {
            inBus.channelBuffers64 = ins;
            outBus.channelBuffers64 = outs;
        }
        ProcessContext context{};
        context.state = ProcessContext::kPlaying | ProcessContext::kTimeSigValid |
                        (tempo > 0 ? uint32{ProcessContext::kTempoValid} : 0u);
        context.sampleRate = Instance::kRate;
        context.projectTimeSamples = position;
        context.tempo = tempo;
        context.timeSigNumerator = 4;
        context.timeSigDenominator = 4;
        ProcessData data{};
        data.processMode = kRealtime;
        data.symbolicSampleSize = sampleSize;
        data.numSamples = n;
        data.numInputs = data.numOutputs = 1;
        data.inputs = &inBus;
        data.outputs = &outBus;
        data.inputParameterChanges = start == 0 && changes != nullptr ? changes : &none;
        data.processContext = &context;
        result = processor->process(&data);
        position += n;
    }
    return result;
}

}  // namespace

tresult Instance::Run(const std::vector<std::vector<float>>& in,
                      std::vector<std::vector<float>>& out, ParamChanges* changes, double tempo) {
    return RunBlocks(processor_.get(), kSample32, in, out, changes, tempo, position_);
}

tresult Instance::Run64(const std::vector<std::vector<double>>& in,
                        std::vector<std::vector<double>>& out, ParamChanges* changes) {
    return RunBlocks(processor_.get(), kSample64, in, out, changes, 120.0, position_);
}

tresult Instance::Flush(ParamChanges& changes) {
    ProcessData data{};
    data.symbolicSampleSize = kSample32;
    data.inputParameterChanges = &changes;
    return processor_->process(&data);
}

std::vector<uint8_t> Instance::State() {
    MemoryStream stream;
    if (component_->getState(&stream) != kResultOk) return {};
    return stream.Bytes();
}

tresult Instance::SetState(const std::vector<uint8_t>& bytes) {
    MemoryStream stream(bytes);
    return component_->setState(&stream);
}

std::vector<std::vector<float>> TestSignal(int frames) {
    std::vector<std::vector<float>> signal(2, std::vector<float>(static_cast<size_t>(frames)));
    const double pi = 3.14159265358979323846;
    for (int f = 0; f < frames; ++f) {
        const double t = f / Instance::kRate;
        const double chord = std::sin(2 * pi * 220 * t) + 0.5 * std::sin(2 * pi * 277.2 * t) +
                             0.3 * std::sin(2 * pi * 1650 * t);
        signal[0][static_cast<size_t>(f)] = static_cast<float>(0.3 * chord);
        signal[1][static_cast<size_t>(f)] = static_cast<float>(0.3 * chord * std::cos(2 * pi * t));
    }
    return signal;
}

}  // namespace tav::vst3test
