// The built modules, loaded through the real VST 2.4 ABI by our host library and
// driven the ways DAWs drive them. "test" is the adapter's test module; "product"
// is the shipped plug-in (skipped until its module is built).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "host/formats/hosted_vst2.h"
#include "host/plugin_library.h"
#include "host/render.h"
#include "tests/vst2/module_paths.h"

namespace tav {
namespace {

class ModuleTest : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        path = ModulePath(GetParam());
        if (path.empty()) GTEST_SKIP() << "no " << GetParam() << " module built";
    }

    std::unique_ptr<HostedVst2> Load(const HostSettings& settings = HostSettings()) {
        std::string error;
        auto plugin = HostedVst2::Load(path, settings, &error);
        EXPECT_TRUE(plugin) << error;
        return plugin;
    }

    std::string path;
};

AudioBuffer TestSignal(int frames) {
    AudioBuffer audio;
    audio.Resize(2, frames);
    for (int i = 0; i < frames; ++i) {
        audio.channels[0][static_cast<size_t>(i)] = 0.5f * static_cast<float>((i % 100) - 50) / 50;
        audio.channels[1][static_cast<size_t>(i)] = 0.25f * static_cast<float>((i % 37) - 18) / 18;
    }
    return audio;
}

void ExpectFinite(const AudioBuffer& audio) {
    for (const auto& channel : audio.channels) {
        for (float v : channel) ASSERT_TRUE(std::isfinite(v) && std::fabs(v) < 100.0f);
    }
}

TEST_P(ModuleTest, BothEntryPointsMakeIndependentInstances) {
    PluginLibrary library;
    std::string error;
    ASSERT_TRUE(library.Load(path, &error)) << error;
    auto vstMain = reinterpret_cast<VstEntryProc>(library.Symbol("VSTPluginMain"));
    auto oldMain = reinterpret_cast<VstEntryProc>(library.Symbol("main"));
    ASSERT_TRUE(vstMain && oldMain);
    auto host = [](AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) -> VstIntPtr {
        return opcode == audioMasterVersion ? 2400 : 0;
    };
    AEffect* a = vstMain(host);
    AEffect* b = vstMain(host);
    AEffect* c = oldMain(host);
    ASSERT_TRUE(a && b && c);
    EXPECT_NE(a, b);
    EXPECT_NE(a->object, b->object);
    EXPECT_EQ(c->magic, kEffectMagic);
    EXPECT_EQ(c->uniqueID, a->uniqueID);
    EXPECT_EQ(c->flags, a->flags);
    EXPECT_GE(a->numPrograms, 1);
    a->setParameter(a, 0, 0.0f);
    b->setParameter(b, 0, 1.0f);
    EXPECT_EQ(a->getParameter(a, 0), 0.0f);
    EXPECT_EQ(b->getParameter(b, 0), 1.0f);
    for (AEffect* e : {a, b, c}) e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
}

TEST_P(ModuleTest, StartUpOrdersOfRealHosts) {
    // Rate and block size before open, audio before any effMainsChanged(1).
    auto early = Load();
    ASSERT_TRUE(early);
    early->SetSampleRate(48000.0);
    early->SetBlockSize(256);
    early->Open();
    RenderOptions options;
    options.blockSize = 256;
    ExpectFinite(Render(*early, TestSignal(1000), options));
    early->Resume();
    ExpectFinite(Render(*early, TestSignal(1000), options));

    // Open twice, and suspend/resume around every change.
    auto fussy = Load();
    ASSERT_TRUE(fussy);
    fussy->Open();
    fussy->Open();
    fussy->Suspend();
    fussy->SetSampleRate(44100.0);
    fussy->Resume();
    fussy->Suspend();
    fussy->SetBlockSize(512);
    fussy->Resume();
    ExpectFinite(Render(*fussy, TestSignal(2000), options));
}

TEST_P(ModuleTest, BlockLengthsAroundTheAnnouncedSize) {
    auto plugin = Load();
    ASSERT_TRUE(plugin);
    plugin->Start();  // block size 512
    const int sizes[] = {0, 1, 512, 1024, 2048, 333};
    for (ProcessKind kind :
         {ProcessKind::Replacing, ProcessKind::Accumulating, ProcessKind::Double}) {
        for (int frames : sizes) {
            std::vector<float> l(static_cast<size_t>(frames) + 1, 0.25f), r(l);
            std::vector<double> dl(l.begin(), l.end()), dr(r.begin(), r.end());
            l.back() = r.back() = 123.0f;  // one past the end must stay untouched
            dl.back() = dr.back() = 123.0;
            float* io[2] = {l.data(), r.data()};
            double* dio[2] = {dl.data(), dr.data()};
            // In place: the same buffers in and out.
            if (kind == ProcessKind::Double) {
                plugin->ProcessDouble(dio, dio, frames);
                EXPECT_EQ(dl.back(), 123.0);
                for (int i = 0; i < frames; ++i)
                    ASSERT_TRUE(std::isfinite(dl[static_cast<size_t>(i)]));
            } else {
                plugin->Process(kind, io, io, frames);
                EXPECT_EQ(l.back(), 123.0f);
                for (int i = 0; i < frames; ++i)
                    ASSERT_TRUE(std::isfinite(l[static_cast<size_t>(i)]));
            }
        }
    }
}

TEST_P(ModuleTest, SampleRateChangesWhileRunning) {
    auto plugin = Load();
    ASSERT_TRUE(plugin);
    plugin->Start();
    RenderOptions options;
    for (double rate : {96000.0, 22050.0, 192000.0, 44100.0}) {
        plugin->SetSampleRate(rate);
        ExpectFinite(Render(*plugin, TestSignal(3000), options));
    }
    plugin->SetSampleRate(0.0);  // refused; audio goes on
    ExpectFinite(Render(*plugin, TestSignal(3000), options));
}

TEST_P(ModuleTest, ChunksRoundTripIntoAFreshInstance) {
    auto plugin = Load();
    ASSERT_TRUE(plugin);
    plugin->Start();
    for (int i = 0; i < plugin->NumParams(); ++i) plugin->SetParameter(i, 0.3f);
    if (plugin->NumPrograms() > 1) plugin->SetProgram(1);
    for (bool bank : {false, true}) {
        const std::vector<uint8_t> first = plugin->GetChunk(bank);
        ASSERT_FALSE(first.empty());
        ASSERT_TRUE(plugin->SetChunk(bank, first));
        EXPECT_EQ(plugin->GetChunk(bank), first);

        auto fresh = Load();
        ASSERT_TRUE(fresh);
        fresh->Start();
        if (bank && plugin->NumPrograms() > 1) fresh->SetProgram(1);
        ASSERT_TRUE(fresh->SetChunk(bank, first));
        EXPECT_EQ(fresh->GetChunk(bank), first) << (bank ? "bank" : "program");
    }
}

TEST_P(ModuleTest, SeveralInstancesAtOnce) {
    std::vector<std::unique_ptr<HostedVst2>> plugins;
    for (int i = 0; i < 4; ++i) {
        plugins.push_back(Load());
        ASSERT_TRUE(plugins.back());
        plugins.back()->Start();
        plugins.back()->SetParameter(0, 0.25f * static_cast<float>(i));
    }
    RenderOptions options;
    for (int round = 0; round < 3; ++round) {
        for (auto& plugin : plugins) ExpectFinite(Render(*plugin, TestSignal(700), options));
    }
    for (int i = 0; i < 4; ++i) {
        // Parameters may snap to their steps; each instance keeps its own value.
        EXPECT_NEAR(plugins[static_cast<size_t>(i)]->GetParameter(0), 0.25 * i, 0.01);
    }
}

TEST_P(ModuleTest, TextAnswersRespectTheirLengths) {
    auto plugin = Load();
    ASSERT_TRUE(plugin);
    plugin->Open();
    auto check = [&](VstInt32 opcode, VstInt32 index, size_t limit) {
        unsigned char buffer[300];
        std::memset(buffer, 0xA5, sizeof buffer);
        plugin->Dispatch(opcode, index, -1, buffer);
        for (size_t i = limit; i < sizeof buffer; ++i) {
            ASSERT_EQ(buffer[i], 0xA5) << "opcode " << opcode << " index " << index;
        }
    };
    for (int i = 0; i < plugin->NumParams(); ++i) {
        check(effGetParamName, i, 32);
        check(effGetParamLabel, i, 8);
        check(effGetParamDisplay, i, 8);
    }
    for (int i = 0; i < plugin->NumPrograms(); ++i) check(effGetProgramNameIndexed, i, 24);
    check(effGetProgramName, 0, 24);
    check(effGetEffectName, 0, 32);
    check(effGetVendorString, 0, 64);
    check(effGetProductString, 0, 64);
}

TEST_P(ModuleTest, ReaperIsAskedOnceAtOpen) {
    HostSettings settings;
    settings.productString = "REAPER";
    settings.vendorVersion = 40012;
    auto plugin = Load(settings);
    ASSERT_TRUE(plugin);
    EXPECT_EQ(plugin->Requests().Count(audioMasterGetProductString), 0);  // not during creation
    plugin->Open();
    plugin->Open();
    EXPECT_EQ(plugin->Requests().Count(audioMasterGetProductString), 1);
    EXPECT_EQ(plugin->Requests().Count(audioMasterGetVendorVersion), 1);
}

INSTANTIATE_TEST_SUITE_P(Modules, ModuleTest, ::testing::Values("test", "product"));

TEST(TestModule, RendersExactlyWhatTheEffectComputes) {
    const std::string path = ModulePath("test");
    ASSERT_FALSE(path.empty());
    std::string error;
    auto plugin = HostedVst2::Load(path, HostSettings(), &error);
    ASSERT_TRUE(plugin) << error;
    plugin->Start();
    plugin->SetParameter(0, 0.25f);  // gain 0.5
    const AudioBuffer input = TestSignal(5000);
    for (ProcessKind kind :
         {ProcessKind::Replacing, ProcessKind::Accumulating, ProcessKind::Double}) {
        RenderOptions options;
        options.kind = kind;
        options.blockSize = 300;
        const AudioBuffer out = Render(*plugin, input, options);
        for (size_t i = 0; i < 5000; ++i) {
            const double l = input.channels[0][i], r = input.channels[1][i];
            ASSERT_EQ(out.channels[0][i], static_cast<float>(l * 0.5 + r * 0.125)) << i;
            ASSERT_EQ(out.channels[1][i], static_cast<float>(r * 0.5 + l * 0.125)) << i;
        }
    }
}

TEST(ProductModule, RecordReadsAsPublished) {
    const std::string path = ModulePath("product");
    if (path.empty()) GTEST_SKIP() << "no product module built";
    std::string error;
    auto plugin = HostedVst2::Load(path, HostSettings(), &error);
    ASSERT_TRUE(plugin) << error;
    const AEffect* e = plugin->Effect();
    EXPECT_EQ(e->magic, 0x56737450);
    EXPECT_EQ(e->numPrograms, 10);
    EXPECT_EQ(e->numParams, 13);
    EXPECT_EQ(e->numInputs, 2);
    EXPECT_EQ(e->numOutputs, 2);
    EXPECT_EQ(e->flags & ~effFlagsHasEditor, 0x1018);  // the editor bit comes with the editor
    EXPECT_EQ(e->initialDelay, 0);
    EXPECT_EQ(e->ioRatio, 1.0f);
    EXPECT_EQ(e->uniqueID, 0x656F6F79);
    EXPECT_EQ(e->version, 10000);
}

}  // namespace
}  // namespace tav
