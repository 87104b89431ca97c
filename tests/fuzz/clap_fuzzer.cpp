// Sequences of CLAP host calls with hostile arguments on one instance, made
// through clap_entry: states of any bytes from streams that fail or trickle,
// process calls of any length and layout with events of any type, size, time and
// order, flushes, texts, activation in any order and preset loads. Finite audio
// in must give finite audio out, and the plug-in must take its own state back
// unchanged.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "clap/clap_abi_presets.h"
#include "host/formats/clap_host_objects.h"
#include "tests/fuzz/fuzz_audio.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" const tav::clap::clap_plugin_entry clap_entry;

namespace tav::fuzz {
namespace {

using namespace tav::clap;
using tav::claphost::EventList;
using tav::claphost::Streams;

clap_id Id(FuzzedDataProvider& in) {
    static const clap_id kInteresting[] = {0, 3, 4, 10, 11, 12, 13, 1000, 1001, 1002, 0xFFFFFFFEu};
    return in.ConsumeBool() ? in.PickValueInArray(kInteresting) : in.ConsumeIntegral<clap_id>();
}

double Value(FuzzedDataProvider& in) {
    static const double kInteresting[] = {0.0,
                                          1.0,
                                          -1.0,
                                          2500.0,
                                          20000.0,
                                          -60.0,
                                          1e300,
                                          -0.5,
                                          1e-300,
                                          std::numeric_limits<double>::infinity(),
                                          std::numeric_limits<double>::quiet_NaN()};
    return in.ConsumeBool() ? in.PickValueInArray(kInteresting)
                            : in.ConsumeFloatingPointInRange(-30000.0, 30000.0);
}

// Events as a host might send them: real ones, and others of any type and size.
void AddEvents(EventList& events, FuzzedDataProvider& in, int frames) {
    const int count = in.ConsumeIntegralInRange(0, 30);
    for (int e = 0; e < count; ++e) {
        alignas(8) uint8_t storage[128] = {};
        auto* header = reinterpret_cast<clap_event_header*>(storage);
        const uint32_t time = static_cast<uint32_t>(in.ConsumeIntegralInRange(0, frames + 10));
        switch (in.ConsumeIntegralInRange(0, 2)) {
            case 0: {
                auto* param = reinterpret_cast<clap_event_param_value*>(storage);
                *header = {sizeof *param, time, 0, CLAP_EVENT_PARAM_VALUE, 0};
                param->param_id = Id(in);
                param->value = Value(in);
                break;
            }
            case 1: {
                auto* transport = reinterpret_cast<clap_event_transport*>(storage);
                *header = {sizeof *transport, time, 0, CLAP_EVENT_TRANSPORT, 0};
                transport->flags = in.ConsumeIntegral<uint32_t>();
                transport->tempo = Value(in);
                transport->song_pos_seconds = in.ConsumeIntegral<int64_t>();
                transport->tsig_num = in.ConsumeIntegral<uint16_t>();
                transport->tsig_denom = in.ConsumeIntegral<uint16_t>();
                break;
            }
            default:
                *header = {static_cast<uint32_t>(in.ConsumeIntegralInRange(16, 128)), time,
                           in.ConsumeIntegralInRange<uint16_t>(0, 2),
                           in.ConsumeIntegralInRange<uint16_t>(0, 14),
                           in.ConsumeIntegral<uint32_t>()};
                for (size_t b = sizeof *header; b < header->size; ++b)
                    storage[b] = in.ConsumeIntegral<uint8_t>();
                break;
        }
        events.Add(*header);
    }
}

template <class Sample>
void Process(const clap_plugin* plugin, FuzzedDataProvider& in) {
    const int frames = in.ConsumeIntegralInRange(0, 3000);
    const int channels = in.ConsumeIntegralInRange(0, 3);
    auto audio = MakeFuzzedAudio<Sample>(in, frames, channels);
    const bool inPlace = in.ConsumeBool();
    clap_audio_buffer buses[2] = {};
    for (int side = 0; side < 2; ++side) {
        buses[side].channel_count = static_cast<uint32_t>(channels);
        buses[side].constant_mask = in.ConsumeIntegral<uint64_t>();
        Sample** channelPointers = audio.Side(side, channels, inPlace);
        if constexpr (sizeof(Sample) == sizeof(float)) {
            buses[side].data32 = channelPointers;
        } else {
            buses[side].data64 = channelPointers;
        }
    }
    EventList events, out;
    AddEvents(events, in, frames);
    clap_event_transport transport = {};
    transport.flags = in.ConsumeIntegral<uint32_t>();
    transport.tempo = Value(in);
    clap_process process = {};
    process.steady_time = -1;
    process.frames_count = static_cast<uint32_t>(frames);
    process.transport = in.ConsumeBool() ? &transport : nullptr;
    process.audio_inputs = in.ConsumeBool() ? &buses[0] : nullptr;
    process.audio_inputs_count = in.ConsumeIntegralInRange<uint32_t>(0, 1);
    process.audio_outputs = in.ConsumeBool() ? &buses[1] : nullptr;
    process.audio_outputs_count = in.ConsumeIntegralInRange<uint32_t>(0, 1);
    process.in_events = in.ConsumeBool() ? events.Input() : nullptr;
    process.out_events = in.ConsumeBool() ? out.Output() : nullptr;
    const int32_t status = plugin->process(plugin, &process);
    FUZZ_CHECK(status >= CLAP_PROCESS_ERROR && status <= CLAP_PROCESS_SLEEP, "an unknown status");
    for (const auto& b : audio.buffers) {
        for (Sample s : b) FUZZ_CHECK(std::isfinite(s), "a finite input gave a non-finite output");
    }
}

void Step(const clap_plugin* plugin, FuzzedDataProvider& in) {
    const auto* params =
        static_cast<const clap_plugin_params*>(plugin->get_extension(plugin, CLAP_EXT_PARAMS));
    switch (in.ConsumeIntegralInRange(0, 8)) {
        case 0: {
            const std::string bytes = in.ConsumeRandomLengthString(2000);
            Streams stream(std::vector<uint8_t>(bytes.begin(), bytes.end()),
                           in.ConsumeIntegralInRange<uint64_t>(0, 64));
            const auto* state = static_cast<const clap_plugin_state*>(
                plugin->get_extension(plugin, CLAP_EXT_STATE));
            state->load(plugin, in.ConsumeBool() ? stream.In() : nullptr);
            break;
        }
        case 1:
            Process<float>(plugin, in);
            break;
        case 2:
            Process<double>(plugin, in);
            break;
        case 3: {
            EventList events, out;
            AddEvents(events, in, 0);
            params->flush(plugin, in.ConsumeBool() ? events.Input() : nullptr,
                          in.ConsumeBool() ? out.Output() : nullptr);
            break;
        }
        case 4: {
            char text[64] = {};
            const clap_id id = Id(in);
            params->value_to_text(plugin, id, Value(in), in.ConsumeBool() ? text : nullptr,
                                  in.ConsumeIntegralInRange<uint32_t>(0, sizeof text));
            const std::string typed = in.ConsumeRandomLengthString(200);
            double value = 0.0;
            params->text_to_value(plugin, id, typed.c_str(), in.ConsumeBool() ? &value : nullptr);
            params->get_value(plugin, id, &value);
            clap_param_info info;
            params->get_info(plugin, in.ConsumeIntegralInRange<uint32_t>(0, 16),
                             in.ConsumeBool() ? &info : nullptr);
            break;
        }
        case 5:
            plugin->stop_processing(plugin);
            plugin->deactivate(plugin);
            plugin->activate(plugin, Value(in) * 100.0, in.ConsumeIntegralInRange<uint32_t>(0, 64),
                             in.ConsumeIntegralInRange<uint32_t>(0, 5000));
            break;
        case 6:
            if (in.ConsumeBool()) plugin->start_processing(plugin);
            if (in.ConsumeBool()) plugin->reset(plugin);
            if (in.ConsumeBool()) plugin->stop_processing(plugin);
            break;
        case 7: {
            const auto* presets = static_cast<const clap_plugin_preset_load*>(
                plugin->get_extension(plugin, CLAP_EXT_PRESET_LOAD));
            const std::string key = in.ConsumeRandomLengthString(4);
            presets->from_location(plugin, in.ConsumeIntegralInRange<uint32_t>(0, 2),
                                   in.ConsumeBool() ? nullptr : "x", key.c_str());
            break;
        }
        default: {
            const auto* tail =
                static_cast<const clap_plugin_tail*>(plugin->get_extension(plugin, CLAP_EXT_TAIL));
            tail->get(plugin);
            const std::string id = in.ConsumeRandomLengthString(40);
            plugin->get_extension(plugin, id.c_str());
            break;
        }
    }
}

}  // namespace
}  // namespace tav::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tav::fuzz;
    FuzzedDataProvider in(data, size);
    static tav::claphost::Host host;
    static const bool entered = clap_entry.init("fuzz");
    (void)entered;
    const auto* factory =
        static_cast<const clap_plugin_factory*>(clap_entry.get_factory(CLAP_PLUGIN_FACTORY_ID));
    const clap_plugin* plugin =
        factory->create_plugin(factory, host.Record(), "com.qorva.tavrellion");
    FUZZ_CHECK(plugin != nullptr && plugin->init(plugin), "no instance");
    plugin->activate(plugin, 44100.0, 1, 512);
    plugin->start_processing(plugin);
    for (int steps = 0; steps < 24 && in.remaining_bytes() > 0; ++steps) Step(plugin, in);

    // Whatever happened, the plug-in takes its own state back unchanged.
    const auto* state =
        static_cast<const clap_plugin_state*>(plugin->get_extension(plugin, CLAP_EXT_STATE));
    Streams saved;
    FUZZ_CHECK(state->save(plugin, saved.Out()), "save failed");
    Streams reload(saved.Bytes());
    FUZZ_CHECK(state->load(plugin, reload.In()), "its own state was refused");
    Streams again;
    state->save(plugin, again.Out());
    FUZZ_CHECK(again.Bytes() == saved.Bytes(), "the state changed on a round trip");
    plugin->destroy(plugin);
    return 0;
}
