#include "vst3/processor.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "core/denormal_guard.h"
#include "vst3/class_ids.h"
#include "vst3/stream_io.h"
#include "vst3/utf16_text.h"

namespace tav::vst3 {
namespace {

// Channel c of the first bus of a side, or none when the host left it out.
template <class Sample>
Sample* ChannelOf(AudioBusBuffers* buses, int32 count, int c);

template <>
float* ChannelOf<float>(AudioBusBuffers* buses, int32 count, int c) {
    if (buses == nullptr || count < 1 || buses[0].numChannels <= c) return nullptr;
    return buses[0].channelBuffers32 != nullptr ? buses[0].channelBuffers32[c] : nullptr;
}

template <>
double* ChannelOf<double>(AudioBusBuffers* buses, int32 count, int c) {
    if (buses == nullptr || count < 1 || buses[0].numChannels <= c) return nullptr;
    return buses[0].channelBuffers64 != nullptr ? buses[0].channelBuffers64[c] : nullptr;
}

void SilenceOutputs(const ProcessData& data) {
    AudioBusBuffers& bus = data.outputs[0];
    const size_t frames = static_cast<size_t>(data.numSamples);
    for (int c = 0; c < bus.numChannels; ++c) {
        if (data.symbolicSampleSize == kSample64) {
            if (bus.channelBuffers64 != nullptr && bus.channelBuffers64[c] != nullptr) {
                std::memset(bus.channelBuffers64[c], 0, frames * sizeof(double));
            }
        } else if (bus.channelBuffers32 != nullptr && bus.channelBuffers32[c] != nullptr) {
            std::memset(bus.channelBuffers32[c], 0, frames * sizeof(float));
        }
    }
}

}  // namespace

Processor::~Processor() {
    Release();
}

tresult Processor::queryInterface(const TUID iid, void** obj) {
    return QueryWith(iid, obj, [&](const TUID wanted) -> FUnknown* {
        if (FUnknown::iid.Matches(wanted) || IPluginBase::iid.Matches(wanted)) {
            return static_cast<IComponent*>(this);
        }
        return FindInterface<Processor, IComponent, IAudioProcessor, IProcessContextRequirements,
                             IConnectionPoint>(this, wanted);
    });
}

// The thread that initialises the processor is its UI thread.
tresult Processor::initialize(FUnknown*) {
    roles_.NoteMain();
    if (effect_) return kResultFalse;
    effect_ = MakePhaser();
    if (!effect_) return kOutOfMemory;
    params_ = std::make_unique<ParamTable>(*effect_, kListedPrograms);
    plugin_ = std::make_unique<BlockPlugin>(
        *effect_, []() -> std::unique_ptr<TransportCore> { return MakePhaser(); });
    return kResultOk;
}

tresult Processor::terminate() {
    roles_.Check("IPluginBase::terminate", ThreadRole::Main);
    Release();
    return kResultOk;
}

// The host may drop its last reference on any thread: no check here.
void Processor::Release() {
    params_.reset();
    plugin_.reset();
    effect_.reset();
}

tresult Processor::getControllerClassId(TUID classId) {
    roles_.Check("IComponent::getControllerClassId", ThreadRole::Main);
    if (classId == nullptr) return kInvalidArgument;
    kControllerCid.CopyTo(classId);
    return kResultOk;
}

tresult Processor::setIoMode(int32) {
    roles_.Check("IComponent::setIoMode", ThreadRole::Main);
    return kResultOk;
}

int32 Processor::getBusCount(MediaType type, BusDirection dir) {
    roles_.Check("IComponent::getBusCount", ThreadRole::Main);
    if (dir != kInput && dir != kOutput) return 0;
    return type == kAudio ? 1 : 0;
}

tresult Processor::getBusInfo(MediaType type, BusDirection dir, int32 index, BusInfo* bus) {
    roles_.Check("IComponent::getBusInfo", ThreadRole::Main);
    if (bus == nullptr) return kInvalidArgument;
    if (type != kAudio || (dir != kInput && dir != kOutput) || index != 0) return kInvalidArgument;
    std::memset(bus, 0, sizeof *bus);
    bus->mediaType = kAudio;
    bus->direction = dir;
    bus->channelCount = 2;
    ToUtf16(dir == kInput ? "Stereo In" : "Stereo Out", bus->name, 128);
    bus->busType = kMain;
    bus->flags = BusInfo::kDefaultActive;
    return kResultOk;
}

tresult Processor::getRoutingInfo(RoutingInfo*, RoutingInfo*) {
    roles_.Check("IComponent::getRoutingInfo", ThreadRole::Main);
    return kNotImplemented;
}

tresult Processor::activateBus(MediaType type, BusDirection dir, int32 index, TBool) {
    roles_.Check("IComponent::activateBus", ThreadRole::Main);
    if (type != kAudio || (dir != kInput && dir != kOutput) || index != 0) return kInvalidArgument;
    return kResultOk;
}

tresult Processor::setActive(TBool state) {
    roles_.Check("IComponent::setActive", ThreadRole::Main);
    if (!effect_) return kNotInitialized;
    roles_.NoteRestart();
    plugin_->SetActive(state != 0);
    return kResultOk;
}

tresult Processor::setState(IBStream* state) {
    roles_.Check("IComponent::setState", ThreadRole::Main);
    if (!effect_) return kNotInitialized;
    if (state == nullptr) return kInvalidArgument;
    std::vector<uint8_t> bytes;
    // The stream is read before the lock is taken: the audio waits only for the load.
    if (!ReadToEnd(state, bytes)) return kResultFalse;
    return plugin_->LoadState(bytes) ? kResultOk : kResultFalse;
}

tresult Processor::getState(IBStream* state) {
    roles_.Check("IComponent::getState", ThreadRole::Main);
    if (!effect_) return kNotInitialized;
    if (state == nullptr) return kInvalidArgument;
    std::vector<uint8_t> bytes;
    if (!plugin_->SaveState(bytes)) return kResultFalse;
    return WriteAll(state, bytes) ? kResultOk : kResultFalse;
}

tresult Processor::setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                      SpeakerArrangement* outputs, int32 numOuts) {
    roles_.Check("IAudioProcessor::setBusArrangements", ThreadRole::Main);
    // Stereo in, stereo out, and nothing else: anything other stays stereo.
    if (numIns != 1 || numOuts != 1 || inputs == nullptr || outputs == nullptr) return kResultFalse;
    return inputs[0] == kStereo && outputs[0] == kStereo ? kResultTrue : kResultFalse;
}

tresult Processor::getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement* arr) {
    roles_.Check("IAudioProcessor::getBusArrangement", ThreadRole::Main);
    if (arr == nullptr) return kInvalidArgument;
    if ((dir != kInput && dir != kOutput) || index != 0) return kInvalidArgument;
    *arr = kStereo;
    return kResultOk;
}

tresult Processor::canProcessSampleSize(int32 symbolicSampleSize) {
    roles_.Check("IAudioProcessor::canProcessSampleSize", ThreadRole::Main);
    return symbolicSampleSize == kSample32 || symbolicSampleSize == kSample64 ? kResultTrue
                                                                              : kResultFalse;
}

uint32 Processor::getLatencySamples() {
    roles_.Check("IAudioProcessor::getLatencySamples", ThreadRole::Main);
    return 0;
}

tresult Processor::setupProcessing(ProcessSetup* setupPointer) {
    roles_.Check("IAudioProcessor::setupProcessing", ThreadRole::Main);
    if (!effect_) return kNotInitialized;
    if (setupPointer == nullptr) return kInvalidArgument;
    const ProcessSetup& setup = *setupPointer;
    if (setup.symbolicSampleSize != kSample32 && setup.symbolicSampleSize != kSample64)
        return kResultFalse;
    if (setup.maxSamplesPerBlock < 1 || !(setup.sampleRate > 0.0) ||
        !std::isfinite(setup.sampleRate)) {
        return kInvalidArgument;
    }
    return plugin_->SetUp(setup.sampleRate, setup.maxSamplesPerBlock) ? kResultOk : kOutOfMemory;
}

tresult Processor::setProcessing(TBool state) {
    roles_.Check("IAudioProcessor::setProcessing", ThreadRole::MainOrAudio);
    if (!effect_) return kNotInitialized;
    return plugin_->Active() || state == 0 ? kResultOk : kResultFalse;
}

uint32 Processor::getTailSamples() {
    roles_.Check("IAudioProcessor::getTailSamples", ThreadRole::Main);
    return effect_ ? plugin_->TailFrames() : kNoTail;
}

uint32 Processor::getProcessContextRequirements() {
    roles_.Check("IProcessContextRequirements::getProcessContextRequirements", ThreadRole::Main);
    using R = IProcessContextRequirements;
    return R::kNeedTempo | R::kNeedTimeSignature | R::kNeedProjectTimeMusic |
           R::kNeedBarPositionMusic | R::kNeedTransportState;
}

// The processor and the controller meet only through the host: nothing is sent
// over the connection, so it only refuses nonsense.
tresult Processor::connect(IConnectionPoint* other) {
    roles_.Check("IConnectionPoint::connect", ThreadRole::Main);
    return other != nullptr ? kResultOk : kInvalidArgument;
}

tresult Processor::disconnect(IConnectionPoint* other) {
    roles_.Check("IConnectionPoint::disconnect", ThreadRole::Main);
    return other != nullptr ? kResultOk : kInvalidArgument;
}

tresult Processor::notify(IMessage* message) {
    roles_.Check("IConnectionPoint::notify", ThreadRole::Main);
    return message != nullptr ? kResultFalse : kInvalidArgument;
}

void Processor::GatherChanges(IParameterChanges* changes, int32 frames) {
    plugin_->BeginChanges(frames);
    if (changes == nullptr) return;
    const int32 queues = changes->getParameterCount();
    for (int32 q = 0; q < queues; ++q) {
        IParamValueQueue* queue = changes->getParameterData(q);
        if (queue == nullptr) continue;
        const HostParamTarget target = params_->Target(queue->getParameterId());
        if (target.role == HostParamRole::None) continue;
        const int32 points = queue->getPointCount();
        // With no room for every point, the queue's last one still lands.
        const int32 first = points <= plugin_->Room() ? 0 : points - 1;
        for (int32 p = first < 0 ? 0 : first; p < points && plugin_->Room() > 0; ++p) {
            int32 offset = 0;
            double value = 0.0;
            if (queue->getPoint(p, &offset, &value) != kResultOk || !std::isfinite(value)) continue;
            value = std::clamp(value, 0.0, 1.0);
            switch (target.role) {
                case HostParamRole::Bypass:
                    plugin_->AddBypass(offset, value >= 0.5);
                    break;
                case HostParamRole::Setting:
                    plugin_->AddSetting(offset, target.index, value);
                    break;
                case HostParamRole::Program:
                    plugin_->AddProgram(offset, params_->ProgramOf(value));
                    break;
                case HostParamRole::Effect:
                    plugin_->AddParam(offset, target.index, value);
                    break;
                case HostParamRole::None:
                    break;
            }
        }
    }
}

tresult Processor::process(ProcessData* dataPointer) {
    ThreadRoles::AudioScope audio(roles_, "IAudioProcessor::process");
    if (dataPointer == nullptr) return kInvalidArgument;
    if (!effect_) return kNotInitialized;
    ProcessData& data = *dataPointer;
    DenormalGuard denormals;
    const int32 frames = data.numSamples > 0 ? data.numSamples : 0;
    GatherChanges(data.inputParameterChanges, frames);

    // A call that only delivers parameters, or one that has nowhere to write.
    if (frames == 0 || data.numOutputs < 1 || data.outputs == nullptr ||
        data.outputs[0].numChannels < 2) {
        plugin_->ApplyChanges();
        return kResultOk;
    }
    if (data.symbolicSampleSize != kSample32 && data.symbolicSampleSize != kSample64) {
        return kInvalidArgument;
    }
    if (!plugin_->Active()) {
        // Audio before setActive: refused, and the host hears silence, not garbage.
        plugin_->ApplyChanges();
        SilenceOutputs(data);
        return kNotInitialized;
    }
    effect_->SetTransport(data.processContext);
    AudioBusBuffers* in = data.numInputs > 0 ? data.inputs : nullptr;
    if (data.symbolicSampleSize == kSample64) {
        Render<double>(in, data.outputs, frames);
    } else {
        Render<float>(in, data.outputs, frames);
    }
    data.outputs[0].silenceFlags = 0;
    return kResultOk;
}

template <class Sample>
void Processor::Render(AudioBusBuffers* in, AudioBusBuffers* out, int32 frames) {
    Sample* inputs[2] = {ChannelOf<Sample>(in, in != nullptr ? 1 : 0, 0),
                         ChannelOf<Sample>(in, in != nullptr ? 1 : 0, 1)};
    Sample* outputs[2] = {ChannelOf<Sample>(out, 1, 0), ChannelOf<Sample>(out, 1, 1)};
    plugin_->Render<Sample>(inputs, outputs, frames);
}

}  // namespace tav::vst3
