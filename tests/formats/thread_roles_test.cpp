// Host calls from threads their format does not allow, through the real modules:
// each mistake gets its one line on stderr and the instance plays on; a host that
// keeps to the rules hears nothing.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "clap/clap_abi.h"
#include "host/formats/clap_host_objects.h"
#include "host/formats/hosted_clap.h"
#include "host/plugin_instance.h"
#include "tests/support/plugin_audio.h"

#ifdef TAV_LV2_BINARY
#include <dlfcn.h>
#include <lv2/core/lv2.h>
#include <lv2/urid/urid.h>

#include "lv2/lv2_ports.h"
#endif

namespace tav {
namespace {

using test::Chord;
using test::RenderBlock;

constexpr const char* kCheck = "Tavrellion thread check:";

std::string StderrOf(const std::function<void()>& calls) {
    testing::internal::CaptureStderr();
    calls();
    return testing::internal::GetCapturedStderr();
}

int Reports(const std::string& text) {
    int count = 0;
    for (size_t at = text.find(kCheck); at != std::string::npos; at = text.find(kCheck, at + 1))
        ++count;
    return count;
}

bool Renders(PluginInstance& plugin) {
    for (const auto& channel : RenderBlock(plugin, Chord(256))) {
        for (float s : channel) {
            if (!std::isfinite(s)) return false;
        }
    }
    return true;
}

void OnWorker(const std::function<void()>& calls) {
    std::thread worker(calls);
    worker.join();
}

// A host's way with an instance opened and started on the test's main thread.
struct Case {
    const char* name;
    std::string path;
    std::function<void(PluginInstance&)> calls;
    const char* report;  // the line expected, none when the host keeps the rules
};
void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

class ThreadRoles : public ::testing::TestWithParam<Case> {};

TEST_P(ThreadRoles, ReportsEachBrokenRuleOnceAndPlaysOn) {
    const Case& c = GetParam();
    std::string error;
    auto plugin = OpenPlugin(c.path, HostSettings{}, PluginUse{}, &error);
    ASSERT_TRUE(plugin) << error;
    ASSERT_TRUE(plugin->StartAudio(ProcessKind::Replacing, &error)) << error;
    const std::string said = StderrOf([&] {
        c.calls(*plugin);
        c.calls(*plugin);  // the same mistake again says nothing new
    });
    if (c.report == nullptr) {
        EXPECT_EQ(Reports(said), 0) << said;
    } else {
        EXPECT_EQ(Reports(said), 1) << said;
        EXPECT_NE(said.find(std::string(kCheck) + " " + c.report), std::string::npos) << said;
    }
    OnWorker([&] { EXPECT_TRUE(Renders(*plugin)); });
    EXPECT_FALSE(plugin->SaveState(false).empty());
}

// Audio on a worker, everything else on the main thread, as a host should.
void KeepsTheRules(PluginInstance& plugin) {
    std::atomic<bool> done{false};
    std::thread audio([&] {
        while (!done) RenderBlock(plugin, Chord(128));
    });
    for (int i = 0; i < 20; ++i) {
        EXPECT_TRUE(plugin.ReloadStateBesideAudio());
        plugin.ChooseProgramBesideAudio(i % 5);
    }
    done = true;
    audio.join();
}

void SavesOffTheMainThread(PluginInstance& plugin) {
    OnWorker([&] { EXPECT_FALSE(plugin.SaveState(false).empty()); });
}

void ProcessesOnTheMainThreadAfterAWorker(PluginInstance& plugin) {
    OnWorker([&] { RenderBlock(plugin, Chord(128)); });
    RenderBlock(plugin, Chord(128));
}

std::vector<Case> Cases() {
    return {
        {"ClapKeepsTheRules", TAV_CLAP_MODULE, KeepsTheRules, nullptr},
        {"Vst3KeepsTheRules", TAV_VST3_BUNDLE, KeepsTheRules, nullptr},
        {"ClapSaveOffMain", TAV_CLAP_MODULE, SavesOffTheMainThread,
         "clap state.save called on a thread other than the main thread (allowed: the main "
         "thread)"},
        {"Vst3SaveOffUi", TAV_VST3_BUNDLE, SavesOffTheMainThread,
         "vst3 IComponent::getState called on a thread other than the UI thread (allowed: the "
         "UI thread)"},
        {"ClapProcessBackOnMain", TAV_CLAP_MODULE, ProcessesOnTheMainThreadAfterAWorker,
         "clap process called on the main thread after the audio ran on another (allowed: the "
         "audio thread)"},
        {"Vst3ProcessBackOnUi", TAV_VST3_BUNDLE, ProcessesOnTheMainThreadAfterAWorker,
         "vst3 IAudioProcessor::process called on the main thread after the audio ran on "
         "another (allowed: the audio thread)"},
    };
}

INSTANTIATE_TEST_SUITE_P(Formats, ThreadRoles, ::testing::ValuesIn(Cases()),
                         [](const auto& param) { return std::string(param.param.name); });

// A host that saves from inside its own audio callback: the process call's event
// list asks for the state on the audio thread.
TEST(ClapThreadRoles, StateSavedInsideProcessIsReported) {
    std::string error;
    auto opened = OpenPlugin(TAV_CLAP_MODULE, HostSettings{}, PluginUse{}, &error);
    auto* plugin = dynamic_cast<HostedClap*>(opened.get());
    ASSERT_TRUE(plugin) << error;
    ASSERT_TRUE(plugin->StartAudio(ProcessKind::Replacing, &error)) << error;
    const clap::clap_plugin* p = plugin->Plugin();
    struct Inside {
        const clap::clap_plugin* plugin;
        bool saved = false;
    } inside{p};
    clap::clap_input_events events{
        &inside,
        [](const clap::clap_input_events* list) -> uint32_t {
            auto& in = *static_cast<Inside*>(list->ctx);
            const auto* state = static_cast<const clap::clap_plugin_state*>(
                in.plugin->get_extension(in.plugin, clap::CLAP_EXT_STATE));
            claphost::Streams out;
            in.saved = state->save(in.plugin, out.Out());
            return 1;
        },
        [](const clap::clap_input_events*, uint32_t) -> const clap::clap_event_header* {
            return nullptr;
        }};
    std::vector<float> left(64), right(64);
    float* channels[2] = {left.data(), right.data()};
    clap::clap_audio_buffer out{channels, nullptr, 2, 0, 0};
    clap::clap_process process{};
    process.steady_time = -1;
    process.frames_count = 64;
    process.audio_outputs = &out;
    process.audio_outputs_count = 1;
    process.in_events = &events;
    const std::string said = StderrOf([&] { p->process(p, &process); });
    EXPECT_TRUE(inside.saved);
    EXPECT_NE(said.find("clap state.save called on the audio thread (allowed: the main thread)"),
              std::string::npos)
        << said;
    EXPECT_TRUE(Renders(*plugin));
}

#ifdef TAV_LV2_BINARY
// LV2 names no threads, only classes: activate is never to run beside run.
TEST(Lv2ThreadRoles, ActivateBesideRunIsReported) {
    void* module = dlopen(TAV_LV2_BINARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_TRUE(module) << dlerror();
    using Entry = const LV2_Descriptor* (*)(uint32_t);
    const LV2_Descriptor* d = reinterpret_cast<Entry>(dlsym(module, "lv2_descriptor"))(0);
    LV2_URID_Map map{nullptr, [](LV2_URID_Map_Handle, const char*) -> LV2_URID { return 1; }};
    const LV2_Feature mapFeature{LV2_URID__map, &map};
    const LV2_Feature* features[] = {&mapFeature, nullptr};
    LV2_Handle handle = d->instantiate(d, 44100.0, "", features);
    ASSERT_TRUE(handle);
    constexpr uint32_t kFrames = 1u << 15;
    std::vector<float> in(kFrames, 0.25f),
        out[2] = {std::vector<float>(kFrames, NAN), std::vector<float>(kFrames, NAN)};
    d->connect_port(handle, lv2::kPortInLeft, in.data());
    d->connect_port(handle, lv2::kPortInRight, in.data());
    d->connect_port(handle, lv2::kPortOutLeft, out[0].data());
    d->connect_port(handle, lv2::kPortOutRight, out[1].data());
    d->activate(handle);
    std::atomic<bool> started{false}, done{false};
    const std::string said = StderrOf([&] {
        std::thread audio([&] {
            while (!done) {
                d->run(handle, kFrames);
                started = true;
            }
        });
        while (!started) std::this_thread::yield();
        // Back to back, the runs leave the other thread only moments between them.
        for (int i = 0; i < 200; ++i) {
            d->activate(handle);
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
        done = true;
        audio.join();
    });
    EXPECT_NE(said.find("lv2 activate called while lv2 run runs on another thread (allowed: "
                        "never beside the audio calls)"),
              std::string::npos)
        << said;
    EXPECT_EQ(Reports(said), 1) << said;
    d->run(handle, 256);
    EXPECT_TRUE(std::isfinite(out[0][255]));
    // In the right order, on any threads, nothing is said.
    EXPECT_EQ(StderrOf([&] {
                  OnWorker([&] { d->run(handle, 256); });
                  d->deactivate(handle);
                  d->cleanup(handle);
              }),
              "");
}
#endif

}  // namespace
}  // namespace tav
