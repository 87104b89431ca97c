// The CLAP module as a host loads it, through clap_entry: state, parameter texts,
// sample-accurate events, refusals, and the main thread's calls while the audio
// runs. tavhost's renders against the VST 2 module: tests/host/format_host_test.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

#include "host/formats/hosted_clap.h"
#include "host/formats/hosted_vst3.h"
#include "tests/support/plugin_audio.h"

namespace tav {
namespace {

using namespace clap;
using test::Channels;
using test::Chord;
using test::RenderBlock;

const std::string kClap = TAV_CLAP_MODULE;
const std::string kVst3 = TAV_VST3_BUNDLE;
constexpr clap_id kBypass = 1000;
constexpr clap_id kSweepSync = 1002;

std::unique_ptr<HostedClap> Load(int blockSize = 512) {
    HostSettings settings;
    settings.blockSize = blockSize;
    std::string error;
    auto plugin = HostedClap::Load(kClap, settings, &error);
    EXPECT_TRUE(plugin) << error;
    return plugin;
}

// Where a host finds a parameter of an id in the list.
int IndexOf(PluginInstance& plugin, clap_id id) {
    for (int i = 0; i < plugin.NumParams(); ++i) {
        if (static_cast<clap_id>(plugin.ParamNumber(i)) == id) return i;
    }
    return -1;
}

// Damaged bytes are refused for every format in tests/formats; here the streams.
TEST(ClapPlugin, BadStreamsChangeNothing) {
    auto plugin = Load();
    plugin->SetProgram(2);
    const std::vector<uint8_t> before = plugin->SaveState(false);
    const auto* state = static_cast<const clap_plugin_state*>(
        plugin->Plugin()->get_extension(plugin->Plugin(), CLAP_EXT_STATE));
    ASSERT_NE(state, nullptr);
    // A stream that fails, and one that claims more bytes than it was asked for.
    clap_istream failing = {nullptr,
                            [](const clap_istream*, void*, uint64_t) -> int64_t { return -1; }};
    clap_istream lying = {nullptr, [](const clap_istream*, void*, uint64_t size) -> int64_t {
                              return static_cast<int64_t>(size) + 1;
                          }};
    clap_ostream full = {nullptr,
                         [](const clap_ostream*, const void*, uint64_t) -> int64_t { return 0; }};
    EXPECT_FALSE(state->load(plugin->Plugin(), &failing));
    EXPECT_FALSE(state->load(plugin->Plugin(), &lying));
    EXPECT_FALSE(state->load(plugin->Plugin(), nullptr));
    EXPECT_FALSE(state->save(plugin->Plugin(), &full));
    EXPECT_FALSE(state->save(nullptr, &full));
    EXPECT_EQ(plugin->SaveState(false), before);
    // Streams that move a few bytes per call are read and written whole.
    claphost::Streams trickle(before, 3);
    EXPECT_TRUE(state->load(plugin->Plugin(), trickle.In()));
    claphost::Streams slow({}, 5);
    EXPECT_TRUE(state->save(plugin->Plugin(), slow.Out()));
    EXPECT_EQ(slow.Bytes(), before);
}

// Texts and typed values are checked for every format in tests/formats; here the
// list itself: the VST 3 plug-in's names under the same ids.
TEST(ClapPlugin, ParametersAreTheVst3PluginsUnderTheSameIds) {
    auto plugin = Load();
    std::string error;
    auto vst3 = HostedVst3::Load(kVst3, HostSettings{}, &error);
    ASSERT_TRUE(vst3) << error;
    ASSERT_EQ(plugin->NumParams(), 16);
    for (int i = 0; i < plugin->NumParams(); ++i) {
        const clap_param_info& info = plugin->ParamInfo(i);
        const int inVst3 = IndexOf(*vst3, info.id);  // which has a program selector too
        ASSERT_GE(inVst3, 0) << info.name;
        EXPECT_EQ(std::string(info.name), vst3->ParamName(inVst3));
    }
}

// Sweep Sync and Glide: two-step lists the host may set and automate (that blocks
// and states carry them is checked for every format in tests/formats).
TEST(ClapPlugin, SettingsAreSteppedAndAutomatable) {
    auto plugin = Load();
    const clap_plugin* p = plugin->Plugin();
    const auto* params =
        static_cast<const clap_plugin_params*>(p->get_extension(p, CLAP_EXT_PARAMS));
    const struct {
        clap_id id;
        const char* name;
        double defaultValue;
        const char* texts[2];
    } settings[] = {{1002, "Sweep Sync", 0.0, {"Free", "Song"}},
                    {1003, "Glide", 1.0, {"Off", "On"}}};
    for (const auto& s : settings) {
        SCOPED_TRACE(s.name);
        const int index = IndexOf(*plugin, s.id);
        ASSERT_GE(index, 0);
        const clap_param_info& info = plugin->ParamInfo(index);
        EXPECT_STREQ(info.name, s.name);
        EXPECT_EQ(info.flags,
                  CLAP_PARAM_IS_AUTOMATABLE | CLAP_PARAM_IS_STEPPED | CLAP_PARAM_IS_ENUM);
        EXPECT_EQ(info.min_value, 0.0);
        EXPECT_EQ(info.max_value, 1.0);
        EXPECT_EQ(info.default_value, s.defaultValue);
        double value = -1.0;
        ASSERT_TRUE(params->get_value(p, s.id, &value));
        EXPECT_EQ(value, s.defaultValue);
        char text[16] = {};
        for (const double v : {0.0, 1.0, 0.7}) {
            ASSERT_TRUE(params->value_to_text(p, s.id, v, text, sizeof text));
            EXPECT_STREQ(text, s.texts[v >= 0.5 ? 1 : 0]) << v;
        }
        EXPECT_FALSE(params->value_to_text(p, s.id, NAN, text, sizeof text));
    }
}

TEST(ClapPlugin, InPlaceBuffersAndLongBlocksRenderTheSame) {
    const Channels input = Chord(3000);
    auto apart = Load(512);
    apart->StartAudio(ProcessKind::Replacing, nullptr);
    const Channels expected = RenderBlock(*apart, input);
    // The host's one buffer for input and output, and more frames than announced.
    auto shared = Load(512);
    shared->StartAudio(ProcessKind::Replacing, nullptr);
    Channels buffer = input;
    float* channels[2] = {buffer[0].data(), buffer[1].data()};
    shared->Process(ProcessKind::Replacing, channels, channels, 3000);
    EXPECT_EQ(buffer, expected);
}

TEST(ClapPlugin, SleepsOnlyOnceTheGateHoldsSilence) {
    auto plugin = Load();
    plugin->StartAudio(ProcessKind::Replacing, nullptr);
    RenderBlock(*plugin, Chord(512));
    EXPECT_EQ(plugin->LastStatus(), CLAP_PROCESS_CONTINUE);
    EXPECT_EQ(plugin->LastConstantMask(), 0u);
    const auto* tail = static_cast<const clap_plugin_tail*>(
        plugin->Plugin()->get_extension(plugin->Plugin(), CLAP_EXT_TAIL));
    const uint32_t frames = tail->get(plugin->Plugin());
    EXPECT_GT(frames, 8820u);  // at least the gate's 0.2 s hold
    EXPECT_LT(frames, 44100u * 31);
    // Silence: the feedback rings, then the gate holds; the tail said how long at most.
    uint32_t silentFrames = 0;
    while (plugin->LastStatus() != CLAP_PROCESS_SLEEP && silentFrames <= frames) {
        RenderBlock(*plugin, Channels(2, std::vector<float>(512)));
        silentFrames += 512;
    }
    EXPECT_EQ(plugin->LastStatus(), CLAP_PROCESS_SLEEP);
    RenderBlock(*plugin, Channels(2, std::vector<float>(512)));
    EXPECT_EQ(plugin->LastConstantMask(), 3u);  // the input's silence passed through
    RenderBlock(*plugin, Chord(512));
    EXPECT_EQ(plugin->LastStatus(), CLAP_PROCESS_CONTINUE);
    // More feedback rings longer.
    plugin->StopAudio();
    plugin->SetPlainValue(1, 100.0);
    plugin->SetPlainValue(6, 100.0);
    plugin->StartAudio(ProcessKind::Replacing, nullptr);
    RenderBlock(*plugin, Chord(512));
    EXPECT_GT(tail->get(plugin->Plugin()), frames);
}

TEST(ClapPlugin, NonsenseFromTheHostIsRefused) {
    auto plugin = Load();
    const clap_plugin* p = plugin->Plugin();
    const clap_plugin_entry* entry = plugin->Entry();
    const auto* factory =
        static_cast<const clap_plugin_factory*>(entry->get_factory(CLAP_PLUGIN_FACTORY_ID));
    EXPECT_EQ(entry->get_factory("clap.no-such-factory"), nullptr);
    EXPECT_EQ(entry->get_factory(nullptr), nullptr);
    EXPECT_EQ(factory->get_plugin_descriptor(factory, 1), nullptr);
    EXPECT_EQ(factory->create_plugin(factory, nullptr, "com.qorva.tavrellion"), nullptr);
    EXPECT_EQ(factory->create_plugin(factory, plugin->HostRecord().Record(), "com.other"), nullptr);
    EXPECT_EQ(factory->create_plugin(factory, plugin->HostRecord().Record(), nullptr), nullptr);
    EXPECT_TRUE(entry->init("again"));  // counted: the later deinit pairs with it
    entry->deinit();

    for (const char* id : {"clap.no-such-extension", "clap.note-ports", "", "clap.state "})
        EXPECT_EQ(p->get_extension(p, id), nullptr) << id;
    EXPECT_EQ(p->get_extension(p, nullptr), nullptr);
    EXPECT_FALSE(p->init(p));  // once only
    const auto* params =
        static_cast<const clap_plugin_params*>(p->get_extension(p, CLAP_EXT_PARAMS));
    clap_param_info info;
    double value = 0.0;
    char text[8];
    EXPECT_FALSE(params->get_info(p, 16, &info));
    EXPECT_FALSE(params->get_info(p, 0, nullptr));
    EXPECT_FALSE(params->get_value(p, 13, &value));
    EXPECT_FALSE(params->get_value(p, 0, nullptr));
    EXPECT_FALSE(params->value_to_text(p, 0, NAN, text, sizeof text));
    EXPECT_FALSE(params->value_to_text(p, 0, 1.0, nullptr, 8));
    EXPECT_FALSE(params->value_to_text(p, 0, 1.0, text, 0));
    EXPECT_FALSE(params->text_to_value(p, 0, nullptr, &value));
    params->flush(p, nullptr, nullptr);
    const auto* ports =
        static_cast<const clap_plugin_audio_ports*>(p->get_extension(p, CLAP_EXT_AUDIO_PORTS));
    clap_audio_port_info port;
    EXPECT_FALSE(ports->get(p, 1, true, &port));
    EXPECT_FALSE(ports->get(p, 0, false, nullptr));
    const auto* presets =
        static_cast<const clap_plugin_preset_load*>(p->get_extension(p, CLAP_EXT_PRESET_LOAD));
    for (const char* key : {"7", "-1", "", "1x"})
        EXPECT_FALSE(
            presets->from_location(p, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr, key));
    EXPECT_FALSE(presets->from_location(p, CLAP_PRESET_DISCOVERY_LOCATION_FILE, "/x", "1"));
    EXPECT_EQ(plugin->HostRecord().presetErrors, 5);

    // Audio before activation and before processing starts; activation nonsense.
    clap_process process = {};
    process.frames_count = 16;
    EXPECT_EQ(p->process(p, &process), CLAP_PROCESS_ERROR);
    EXPECT_EQ(p->process(nullptr, &process), CLAP_PROCESS_ERROR);
    EXPECT_FALSE(p->start_processing(p));
    for (const double rate : {0.0, -44100.0, double(NAN), double(INFINITY)})
        EXPECT_FALSE(p->activate(p, rate, 1, 512));
    EXPECT_FALSE(p->activate(p, 44100.0, 64, 32));
    EXPECT_FALSE(p->activate(p, 44100.0, 1, 0));
    ASSERT_TRUE(p->activate(p, 44100.0, 1, 0x7FFFFFFF));  // long blocks run in slices
    EXPECT_FALSE(p->activate(p, 44100.0, 1, 512));
    EXPECT_EQ(p->process(p, &process), CLAP_PROCESS_ERROR);
    ASSERT_TRUE(p->start_processing(p));
    EXPECT_EQ(p->process(p, nullptr), CLAP_PROCESS_ERROR);
    EXPECT_EQ(p->process(p, &process), CLAP_PROCESS_ERROR);  // nowhere to write
    // Events that lie about their size or come from another space are skipped.
    claphost::EventList events;
    clap_event_header shortEvent = {8, 0, 0, CLAP_EVENT_PARAM_VALUE, 0};
    clap_event_param_value foreign = {};
    foreign.header = {sizeof foreign, 0, 7, CLAP_EVENT_PARAM_VALUE, 0};
    foreign.value = NAN;
    events.Add(shortEvent);
    events.Add(foreign.header);
    process.in_events = events.Input();
    std::vector<float> left(16), right(16);
    float* channels[2] = {left.data(), right.data()};
    clap_audio_buffer out = {channels, nullptr, 2, 0, 0};
    process.audio_outputs = &out;
    process.audio_outputs_count = 1;
    EXPECT_NE(p->process(p, &process), CLAP_PROCESS_ERROR);
    p->stop_processing(p);
    p->deactivate(p);
    p->deactivate(p);
}

// The main thread's calls go straight to the extensions (state, values, programs)
// while the audio thread automates; the hosted plug-in's own event lists belong
// to the audio thread here.
TEST(ClapPlugin, StateLoadsParamsAndProgramsWhileAudioRuns) {
    auto plugin = Load();
    const clap_plugin* p = plugin->Plugin();
    const auto* state = static_cast<const clap_plugin_state*>(p->get_extension(p, CLAP_EXT_STATE));
    const auto* params =
        static_cast<const clap_plugin_params*>(p->get_extension(p, CLAP_EXT_PARAMS));
    const auto* presets =
        static_cast<const clap_plugin_preset_load*>(p->get_extension(p, CLAP_EXT_PRESET_LOAD));
    ASSERT_TRUE(state && params && presets);
    const std::vector<uint8_t> saved = plugin->SaveState(false);
    const std::vector<clap_param_info> infos = [&] {
        std::vector<clap_param_info> all;
        for (int i = 0; i < plugin->NumParams(); ++i) all.push_back(plugin->ParamInfo(i));
        return all;
    }();
    ASSERT_TRUE(plugin->StartAudio(ProcessKind::Replacing, nullptr));

    std::atomic<bool> done{false}, finite{true};
    std::atomic<int> blocks{0};
    // The host's automation goes with the audio, on its thread, as CLAP has it.
    std::thread audio([&] {
        const Channels input = Chord(512);
        for (int n = 0; !done; ++n) {
            const int index = n % plugin->NumParams();
            const clap_param_info& info = infos[static_cast<size_t>(index)];
            const double at = ((n * 37) % 101) / 100.0;
            plugin->SetPlainValue(index, info.min_value + at * (info.max_value - info.min_value));
            for (const auto& channel : RenderBlock(*plugin, input)) {
                for (float s : channel) finite = finite && std::isfinite(s);
            }
            ++blocks;
        }
    });
    while (blocks == 0) std::this_thread::yield();
    constexpr int kRounds = 200;
    for (int i = 0; i < kRounds; ++i) {
        claphost::Streams in(saved);
        EXPECT_TRUE(state->load(p, in.In()));
        double value = 0.0;
        EXPECT_TRUE(params->get_value(p, infos[static_cast<size_t>(i) % infos.size()].id, &value));
        const std::string key = std::to_string(i % 7);
        EXPECT_TRUE(
            presets->from_location(p, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr, key.c_str()));
        claphost::Streams out;
        EXPECT_TRUE(state->save(p, out.Out()));
    }
    done = true;
    audio.join();
    EXPECT_TRUE(finite);
    EXPECT_GT(blocks.load(), 1);
    EXPECT_EQ(plugin->HostRecord().presetsLoaded, kRounds);
}

}  // namespace
}  // namespace tav
