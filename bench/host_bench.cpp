// The whole audio path as a host drives it: the AEffect process callbacks of the
// real plug-in (lock, denormal guard, 32/64-bit conversion, the phaser), per
// stereo frame, to set beside the engine-only figure of bench_effect; the VST 3,
// CLAP and LV2 process calls beside the VST 2 one.
#include <benchmark/benchmark.h>
#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/time/time.h>
#include <lv2/urid/urid.h>

#include <cstddef>
#include <string>
#include <type_traits>
#include <vector>

#include "bench/bench_support.h"
#include "clap/clap_abi.h"
#include "effect/host_params.h"
#include "host/formats/clap_host_objects.h"
#include "host/formats/vst3_host_objects.h"
#include "lv2/lv2_ports.h"
#include "vst2/ivst_effect.h"
#include "vst2/module_entry.h"
#include "vst2/vst_class.h"
#include "vst3/class_ids.h"
#include "vst3/plugin_factory.h"

extern "C" const tav::clap::clap_plugin_entry clap_entry;
extern "C" const LV2_Descriptor* lv2_descriptor(uint32_t index);

namespace {

tav::VstTimeInfo timeInfo{};

tav::VstIntPtr HostCallback(tav::AEffect*, tav::VstInt32 opcode, tav::VstInt32, tav::VstIntPtr,
                            void*, float) {
    if (opcode == 7) {  // audioMasterGetTime: 120 bpm, and the song position when playing
        timeInfo.tempo = 120.0;
        timeInfo.flags |= 0x400;
        return reinterpret_cast<tav::VstIntPtr>(&timeInfo);
    }
    return 0;
}

struct Instance {
    explicit Instance(int block) : effect(tav::CreateEffectInstance(HostCallback)->Effect()) {
        effect->dispatcher(effect, 0, 0, 0, nullptr, 0.0f);       // effOpen
        effect->dispatcher(effect, 10, 0, 0, nullptr, 44100.0f);  // effSetSampleRate
        effect->dispatcher(effect, 11, 0, block, nullptr, 0.0f);  // effSetBlockSize
        effect->dispatcher(effect, 12, 0, 1, nullptr, 0.0f);      // resume
    }
    ~Instance() { effect->dispatcher(effect, 1, 0, 0, nullptr, 0.0f); }
    tav::AEffect* effect;
};

// Loud noise keeps the silence gate shut, so every frame is filtered.
template <class T>
std::vector<T> Noise(size_t n, uint32_t seed) {
    std::vector<T> v(n);
    for (auto& s : v) {
        seed = seed * 1664525u + 1013904223u;
        s = static_cast<T>(static_cast<int32_t>(seed)) * static_cast<T>(2e-10);
    }
    return v;
}

// The same through the VST 3 processor: a 32-bit process call with a context.
struct Vst3Instance {
    explicit Vst3Instance(int block) {
        using namespace tav::vst3;
        tav::vst3::IPluginFactory* factory = AcquireFactory();
        void* object = nullptr;
        factory->createInstance(kProcessorCid.Data(), IComponent::iid.Data(), &object);
        factory->release();
        component = static_cast<IComponent*>(object);
        component->queryInterface(IAudioProcessor::iid.Data(), &object);
        processor = static_cast<IAudioProcessor*>(object);
        component->initialize(&host);
        ProcessSetup setup{kRealtime, kSample32, block, 44100.0};
        processor->setupProcessing(&setup);
        component->setActive(1);
        processor->setProcessing(1);
    }
    ~Vst3Instance() {
        processor->setProcessing(0);
        component->setActive(0);
        component->terminate();
        processor->release();
        component->release();
    }
    tav::vst3host::HostApplication host;
    tav::vst3::IComponent* component = nullptr;
    tav::vst3::IAudioProcessor* processor = nullptr;
};

// The same through the CLAP plug-in, made through clap_entry.
struct ClapInstance {
    explicit ClapInstance(int block) {
        using namespace tav::clap;
        clap_entry.init("bench");
        const auto* factory =
            static_cast<const clap_plugin_factory*>(clap_entry.get_factory(CLAP_PLUGIN_FACTORY_ID));
        plugin = factory->create_plugin(factory, host.Record(), "com.qorva.tavrellion");
        plugin->init(plugin);
        plugin->activate(plugin, 44100.0, 1, static_cast<uint32_t>(block));
        plugin->start_processing(plugin);
    }
    ~ClapInstance() {
        plugin->stop_processing(plugin);
        plugin->deactivate(plugin);
        plugin->destroy(plugin);
        clap_entry.deinit();
    }
    tav::claphost::Host host;
    const tav::clap::clap_plugin* plugin = nullptr;
};

// The same through the LV2 plug-in, made through lv2_descriptor with urid:map, its
// ports connected once as hosts do; the control port holds one time:Position.
struct Lv2Instance {
    explicit Lv2Instance(int block) : audio(4, std::vector<float>(static_cast<size_t>(block))) {
        const LV2_Feature mapFeature = {LV2_URID__map, &map};
        const LV2_Feature* features[] = {&mapFeature, nullptr};
        descriptor = lv2_descriptor(0);
        handle = descriptor->instantiate(descriptor, 44100.0, "", features);
        for (uint32_t p = 0; p < tav::lv2::kPortCount; ++p) {
            void* data = &controls[p];
            if (p < 4) data = audio[p].data();
            if (p == tav::lv2::kPortControl) data = &sequence;
            descriptor->connect_port(handle, p, data);
        }
        descriptor->activate(handle);
    }
    ~Lv2Instance() {
        descriptor->deactivate(handle);
        descriptor->cleanup(handle);
    }
    static LV2_URID Map(LV2_URID_Map_Handle self, const char* uri) {
        auto& uris = static_cast<Lv2Instance*>(self)->uris;
        for (size_t i = 0; i < uris.size(); ++i) {
            if (uris[i] == uri) return static_cast<LV2_URID>(i + 1);
        }
        uris.emplace_back(uri);
        return static_cast<LV2_URID>(uris.size());
    }
    LV2_URID Urid(const char* uri) { return Map(this, uri); }

    std::vector<std::string> uris;
    LV2_URID_Map map = {this, &Lv2Instance::Map};
    std::vector<std::vector<float>> audio;
    float controls[tav::lv2::kPortCount] = {};
    // A position of tempo, speed and beat, as a playing host sends one per block.
    struct alignas(8) Position {
        LV2_Atom_Event event;
        LV2_Atom_Object_Body object;
        struct {
            LV2_Atom_Property_Body head;
            float value;
            uint32_t pad;
        } bpm, speed;
        struct {
            LV2_Atom_Property_Body head;
            double value;
        } beat;
    };
    struct alignas(8) Sequence {
        LV2_Atom_Sequence head;
        Position position;
    } sequence = {};
    const LV2_Descriptor* descriptor = nullptr;
    LV2_Handle handle = nullptr;
};

// Blocks of the given size through processReplacing (float) or processDoubleReplacing.
template <class T>
void ProcessBlocks(benchmark::State& state) {
    const int block = static_cast<int>(state.range(0));
    Instance instance(block);
    auto inL = Noise<T>(block, 1), inR = Noise<T>(block, 2);
    std::vector<T> outL(block), outR(block);
    T* ins[2] = {inL.data(), inR.data()};
    T* outs[2] = {outL.data(), outR.data()};
    for (auto _ : state) {
        if constexpr (std::is_same_v<T, float>)
            instance.effect->processReplacing(instance.effect, ins, outs, block);
        else
            instance.effect->processDoubleReplacing(instance.effect, ins, outs, block);
        benchmark::DoNotOptimize(outL.data());
    }
    state.counters["ns"] = tav::bench::NsPerItem(state, block);
}

void BM_ProcessReplacing(benchmark::State& state) {
    ProcessBlocks<float>(state);
}

// VST 2 and VST 3 side by side at 256 frames; range(0) 1 moves one parameter per
// block (wet left), as automation does, before the block is processed; 2 locks
// the sweep to a playing song's position instead.
void BM_Vst2Process(benchmark::State& state) {
    constexpr int kBlock = 256;
    const bool change = state.range(0) == 1;
    const bool song = state.range(0) == 2;
    Instance instance(kBlock);
    timeInfo = tav::VstTimeInfo{};
    if (song) {
        static_cast<tav::VSTCLASS*>(static_cast<tav::IVstEffect*>(instance.effect->object))
            ->SetSweepSync(tav::SweepSync::Song);
        timeInfo.flags = 0x2 | 0x200;  // playing, position valid
    }
    auto inL = Noise<float>(kBlock, 1), inR = Noise<float>(kBlock, 2);
    std::vector<float> outL(kBlock), outR(kBlock);
    float* ins[2] = {inL.data(), inR.data()};
    float* outs[2] = {outL.data(), outR.data()};
    int n = 0;
    for (auto _ : state) {
        if (change) instance.effect->setParameter(instance.effect, 4, (++n % 2) != 0 ? 0.7f : 0.8f);
        instance.effect->processReplacing(instance.effect, ins, outs, kBlock);
        if (song) timeInfo.ppqPos += kBlock / 22050.0;
        benchmark::DoNotOptimize(outL.data());
    }
    state.counters["ns"] = tav::bench::NsPerItem(state, kBlock);
}

void BM_Vst3Process(benchmark::State& state) {
    using namespace tav::vst3;
    constexpr int kBlock = 256;
    const bool change = state.range(0) != 0;
    Vst3Instance instance(kBlock);
    auto inL = Noise<float>(kBlock, 1), inR = Noise<float>(kBlock, 2);
    std::vector<float> outL(kBlock), outR(kBlock);
    float* ins[2] = {inL.data(), inR.data()};
    float* outs[2] = {outL.data(), outR.data()};
    AudioBusBuffers inBus{};
    AudioBusBuffers outBus{};
    inBus.numChannels = outBus.numChannels = 2;
    inBus.channelBuffers32 = ins;
    outBus.channelBuffers32 = outs;
    ProcessContext context{};
    context.state = ProcessContext::kTempoValid;
    context.tempo = 120.0;
    tav::vst3host::ParamChanges changes;
    ProcessData data{};
    data.symbolicSampleSize = kSample32;
    data.numSamples = kBlock;
    data.numInputs = data.numOutputs = 1;
    data.inputs = &inBus;
    data.outputs = &outBus;
    data.inputParameterChanges = &changes;
    data.processContext = &context;
    changes.Add(4, 0, 0.7);  // the queue's memory is the host's, made once
    int n = 0;
    for (auto _ : state) {
        if (change) {
            changes.ClearPoints();
            changes.Add(4, 0, (++n % 2) != 0 ? 0.7 : 0.8);
        }
        data.inputParameterChanges = change ? &changes : nullptr;
        instance.processor->process(&data);
        benchmark::DoNotOptimize(outL.data());
    }
    state.counters["ns"] = tav::bench::NsPerItem(state, kBlock);
}

void BM_ClapProcess(benchmark::State& state) {
    using namespace tav::clap;
    constexpr int kBlock = 256;
    const bool change = state.range(0) == 1;
    const bool song = state.range(0) == 2;
    ClapInstance instance(kBlock);
    auto inL = Noise<float>(kBlock, 1), inR = Noise<float>(kBlock, 2);
    std::vector<float> outL(kBlock), outR(kBlock);
    float* ins[2] = {inL.data(), inR.data()};
    float* outs[2] = {outL.data(), outR.data()};
    clap_audio_buffer inBus = {ins, nullptr, 2, 0, 0};
    clap_audio_buffer outBus = {outs, nullptr, 2, 0, 0};
    clap_event_transport transport = {};
    transport.header = {sizeof transport, 0, 0, CLAP_EVENT_TRANSPORT, 0};
    transport.flags = CLAP_TRANSPORT_HAS_TEMPO;
    transport.tempo = 120.0;
    if (song) {
        tav::claphost::EventList lock, ignored;
        lock.AddParam(0, tav::kSweepSyncParamId, 1.0);  // Song
        const auto* params = static_cast<const clap_plugin_params*>(
            instance.plugin->get_extension(instance.plugin, CLAP_EXT_PARAMS));
        params->flush(instance.plugin, lock.Input(), ignored.Output());
        transport.flags |= CLAP_TRANSPORT_IS_PLAYING | CLAP_TRANSPORT_HAS_BEATS_TIMELINE;
    }
    tav::claphost::EventList events, sent;
    events.AddParam(0, 4, 70.0);  // the list's memory is the host's, made once
    auto* value = const_cast<clap_event_param_value*>(
        reinterpret_cast<const clap_event_param_value*>(events.At(0)));
    tav::claphost::EventList none;
    clap_process process = {};
    process.steady_time = -1;
    process.frames_count = kBlock;
    process.transport = &transport;
    process.audio_inputs = &inBus;
    process.audio_outputs = &outBus;
    process.audio_inputs_count = process.audio_outputs_count = 1;
    process.out_events = sent.Output();
    int n = 0;
    for (auto _ : state) {
        if (change) value->value = (++n % 2) != 0 ? 70.0 : 80.0;
        process.in_events = change ? events.Input() : none.Input();
        instance.plugin->process(instance.plugin, &process);
        if (song)
            transport.song_pos_beats +=
                static_cast<int64_t>(kBlock / 22050.0 * CLAP_BEATTIME_FACTOR);
        benchmark::DoNotOptimize(outL.data());
    }
    state.counters["ns"] = tav::bench::NsPerItem(state, kBlock);
}

// The LV2 run call as BM_ClapProcess runs CLAP's: range(0) 1 moves wet left's port
// before every block, 2 locks the sweep to a playing song's position sent per block.
void BM_Lv2Process(benchmark::State& state) {
    constexpr int kBlock = 256;
    const bool change = state.range(0) == 1;
    const bool song = state.range(0) == 2;
    Lv2Instance instance(kBlock);
    instance.audio[0] = Noise<float>(kBlock, 1);
    instance.audio[1] = Noise<float>(kBlock, 2);
    // The effect's defaults, as a host writes them from the Turtle before running.
    static const float kDefaults[] = {2500, 60, 30, 12, 80, 2500, 60, 30, 12, 80, 2, 1, -60};
    for (size_t i = 0; i < std::size(kDefaults); ++i)
        instance.controls[tav::lv2::kPortFirstParam + i] = kDefaults[i];
    instance.controls[tav::lv2::kPortEnabled] = 1.0f;
    instance.controls[tav::lv2::kPortSweepSync] = song ? 1.0f : 0.0f;
    auto& seq = instance.sequence;
    seq.head.atom.type = instance.Urid(LV2_ATOM__Sequence);
    seq.head.body.unit = instance.Urid(LV2_ATOM__frameTime);
    auto& pos = seq.position;
    pos.event.body.type = instance.Urid(LV2_ATOM__Object);
    pos.event.body.size = sizeof pos - sizeof pos.event;
    pos.object.otype = instance.Urid(LV2_TIME__Position);
    pos.bpm = {{instance.Urid(LV2_TIME__beatsPerMinute),
                0,
                {sizeof(float), instance.Urid(LV2_ATOM__Float)}},
               120.0f,
               0};
    pos.speed = {
        {instance.Urid(LV2_TIME__speed), 0, {sizeof(float), instance.Urid(LV2_ATOM__Float)}},
        song ? 1.0f : 0.0f,
        0};
    pos.beat = {
        {instance.Urid(LV2_TIME__beat), 0, {sizeof(double), instance.Urid(LV2_ATOM__Double)}}, 0.0};
    float& wet = instance.controls[tav::lv2::kPortFirstParam + 4];
    int n = 0;
    for (auto _ : state) {
        if (change) wet = (++n % 2) != 0 ? 70.0f : 80.0f;
        // Hosts without a change of tempo or position send an empty sequence.
        seq.head.atom.size = song ? sizeof seq - sizeof(LV2_Atom) : sizeof(LV2_Atom_Sequence_Body);
        instance.descriptor->run(instance.handle, kBlock);
        if (song) pos.beat.value += kBlock / 22050.0;
        benchmark::DoNotOptimize(instance.audio[2].data());
    }
    state.counters["ns"] = tav::bench::NsPerItem(state, kBlock);
}

void BM_ProcessDoubleReplacing(benchmark::State& state) {
    ProcessBlocks<double>(state);
}

// A host's event list for one block: notes and controllers, with a SysEx record among
// them, as effProcessEvents receives it before the block is processed.
void BM_ProcessEvents(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    Instance instance(256);
    std::vector<tav::VstMidiEvent> notes(count);
    tav::VstMidiSysexEvent sysex{};
    sysex.type = tav::kVstSysExType;
    sysex.byteSize = sizeof sysex;
    std::vector<char> list(offsetof(tav::VstEvents, events) + count * sizeof(void*));
    auto* events = reinterpret_cast<tav::VstEvents*>(list.data());
    events->numEvents = count;
    for (int i = 0; i < count; ++i) {
        notes[i].type = tav::kVstMidiType;
        notes[i].byteSize = sizeof(tav::VstMidiEvent);
        notes[i].deltaFrames = i;
        notes[i].midiData[0] = static_cast<char>(i % 2 != 0 ? 0x90 : 0xB0);
        events->events[i] = i == count / 2 ? reinterpret_cast<tav::VstEvent*>(&sysex)
                                           : reinterpret_cast<tav::VstEvent*>(&notes[i]);
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(instance.effect->dispatcher(instance.effect, 25, 0, 0, events,
                                                             0.0f));  // effProcessEvents
    }
    state.counters["ns"] = tav::bench::NsPerItem(state, count);
}

}  // namespace

BENCHMARK(BM_ProcessEvents)->Arg(64);
BENCHMARK(BM_Vst2Process)->Arg(0)->Arg(1)->Arg(2);
BENCHMARK(BM_Vst3Process)->Arg(0)->Arg(1);
BENCHMARK(BM_ClapProcess)->Arg(0)->Arg(1)->Arg(2);
BENCHMARK(BM_Lv2Process)->Arg(0)->Arg(1)->Arg(2);
BENCHMARK(BM_ProcessReplacing)->Arg(32)->Arg(256)->Arg(4096);
BENCHMARK(BM_ProcessDoubleReplacing)->Arg(32)->Arg(256)->Arg(4096);
BENCHMARK_MAIN();
