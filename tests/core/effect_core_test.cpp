#include "core/effect_core.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "tests/support/recording_host.h"

namespace tav {
namespace {

using test::RecordingEditor;
using test::RecordingHost;

EffectIdentity Identity(const char* channelIo = "1-1 2-2", int params = 3, int presets = 4) {
    EffectIdentity id;
    id.paramCount = params;
    id.channelIo = channelIo;
    id.presetCount = presets;
    id.effectName = "Test";
    id.vendorName = "Vendor";
    id.version = 0x10203;
    id.uniqueId = 0x74657374;
    return id;
}

class CoreWithParams : public RecordingHost {
  public:
    explicit CoreWithParams(const EffectIdentity& id = Identity()) : RecordingHost(id) {
        Param(0)->DefineInteger("A", 10, 0, 100, "%");
        Param(1)->DefineChoice("B", 1, 3, "");
        Param(2)->DefineContinuous("C", 0.5, 0.0, 1.0, 0.0, "");
    }
    void ParamChanged(int index) override {
        CoreLockGuard guard(&Lock());
        changed.push_back(index);
    }
    std::vector<int> changed;
};

TEST(EffectCore, ChannelConfigsComeFromTheIoString) {
    CoreWithParams core;
    EXPECT_EQ(core.InputCount(), 2);
    EXPECT_EQ(core.OutputCount(), 2);
    EXPECT_TRUE(core.SupportsChannels(1, -1));
    EXPECT_TRUE(core.SupportsChannels(2, 2));
    EXPECT_TRUE(core.SupportsChannels(-1, -1));
    EXPECT_FALSE(core.SupportsChannels(2, 1));

    RecordingHost wide(Identity("2-6 bogus 4-2"));
    EXPECT_EQ(wide.InputCount(), 4);
    EXPECT_EQ(wide.OutputCount(), 6);
    EXPECT_TRUE(wide.SupportsChannels(0, 0)) << "an unreadable config counts as 0-0";
    EXPECT_FALSE(wide.SupportsChannels(1, -1));

    RecordingHost empty(Identity(""));
    EXPECT_EQ(empty.InputCount(), 0);
    RecordingHost none(Identity(nullptr));
    EXPECT_EQ(none.OutputCount(), 0);
}

TEST(EffectCore, IdentityAndVersion) {
    CoreWithParams core;
    EXPECT_EQ(core.VersionDecimal(), 10203);
    char text[16];
    core.VersionText(text, sizeof text);
    EXPECT_STREQ(text, "v1.02");
    EXPECT_STREQ(core.EffectName(), "Test");
    EXPECT_EQ(core.HostId(), -1);
    EXPECT_EQ(core.SampleRate(), 44100.0);
    EXPECT_FALSE(core.SetSampleRate(0.0));
    EXPECT_FALSE(core.SetSampleRate(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_EQ(core.SampleRate(), 44100.0);
    core.tempo = 120.0;
    EXPECT_EQ(core.SamplesPerBeat(), 22050.0);
    core.tempo = 0.0;
    EXPECT_EQ(core.SamplesPerBeat(), 0.0);
    core.tempo = -5.0;
    EXPECT_EQ(core.SamplesPerBeat(), 0.0);
}

TEST(EffectCore, ScratchBuffersFollowTheBlockSize) {
    CoreWithParams core;
    ASSERT_TRUE(core.SetBlockFrames(64));
    core.ConnectInputs(0, 2, true);
    core.ConnectOutputs(0, 2, true);
    double* scratch = reinterpret_cast<double*>(core.Input(1)->scratch.Data());
    ASSERT_NE(scratch, nullptr);
    scratch[5] = 1.25;
    EXPECT_TRUE(core.SetBlockFrames(64));
    EXPECT_EQ(scratch[5], 1.25) << "the same size must not clear the buffers";

    core.ConnectInputs(1, 5, false);
    EXPECT_TRUE(core.Input(0)->connected);
    EXPECT_FALSE(core.Input(1)->connected);
    EXPECT_EQ(core.InputPointers()[1], scratch);

    ASSERT_TRUE(core.SetBlockFrames(4096));
    double* grown = reinterpret_cast<double*>(core.Input(1)->scratch.Data());
    EXPECT_EQ(core.InputPointers()[1], grown) << "a disconnected slot follows its resized scratch";
    EXPECT_EQ(core.Input(1)->scratch.Size(), 4096 * 8);
    for (int i = 0; i < 4096; ++i) ASSERT_EQ(grown[i], 0.0);

    EXPECT_FALSE(core.SetBlockFrames(0));
    EXPECT_FALSE(core.SetBlockFrames(-1));
    EXPECT_FALSE(core.SetBlockFrames(1 << 30));
    EXPECT_EQ(core.BlockFrames(), 4096);
}

TEST(EffectCore, DefaultProcessingPassesAudioThrough) {
    RecordingHost core(Identity("1-1 1-2"));
    double in0[4] = {1, 2, 3, 4};
    double out0[4] = {};
    double out1[4] = {9, 9, 9, 9};
    double* inputs[] = {in0};
    double* outputs[] = {out0, out1};
    core.ProcessBlock(inputs, outputs, 4);
    EXPECT_EQ(out0[3], 4.0);
    EXPECT_EQ(out1[0], 0.0) << "outputs without an input are silenced";
    core.ProcessBlock(nullptr, outputs, 4);
    EXPECT_EQ(out0[0], 0.0);
    core.ProcessBlock(inputs, nullptr, 4);  // nothing to write, nothing dereferenced
}

TEST(EffectCore, HostChangesMoveControlsFirstAndEditorChangesAutomate) {
    CoreWithParams core;
    std::vector<std::string> log;
    core.AttachEditor(new RecordingEditor(&log));
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0], "push 0 unit 0.100000");
    EXPECT_EQ(log[3], "canvas");
    log.clear();

    core.ApplyHostParamChange(0, 0.5);
    EXPECT_EQ(log, std::vector<std::string>{"push 0 unit 0.500000"});
    EXPECT_EQ(core.Param(0)->value, 50.0);
    EXPECT_EQ(core.changed, std::vector<int>{0});
    core.ApplyHostParamChange(7, 0.5);
    core.ApplyHostParamChange(0, std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(core.changed.size(), 1u);

    core.SetParamFromEditor(1, 0.6);
    EXPECT_EQ(core.Param(1)->value, 1.0);
    EXPECT_EQ(core.lastAutomatedUnit, 0.6) << "the host gets the unit value as received";
    EXPECT_EQ(core.automations, 1);

    log.clear();
    core.PushParamsToEditor();
    EXPECT_EQ(log[0], "push 0 plain 50.000000");
}

TEST(EffectCore, WheelGesturesBeginOnceAndEndAfterTimeout) {
    CoreWithParams core;
    std::vector<std::string> log;
    core.AttachEditor(new RecordingEditor(&log));
    log.clear();

    core.HostBeginEditOnce(0);
    core.ScheduleEndEdit(0);
    core.HostBeginEditOnce(0);
    core.ScheduleEndEdit(0);
    EXPECT_EQ(core.beginEdits, 1);
    EXPECT_EQ(core.endEdits, 0);
    EXPECT_EQ(log.back(), "timeout 12");
    EXPECT_EQ(core.PendingEditIndex(), 0);

    core.HostBeginEditOnce(2);  // another parameter ends the open gesture first
    EXPECT_EQ(core.events, (std::vector<std::string>{"begin 0", "end 0", "begin 2"}));
    core.ScheduleEndEdit(2);
    core.EndPendingEdit();
    EXPECT_EQ(core.endEdits, 2);
    EXPECT_EQ(core.PendingEditIndex(), -1);
    core.EndPendingEdit();
    EXPECT_EQ(core.endEdits, 2);

    CoreWithParams bare;
    bare.HostBeginEditOnce(1);
    bare.ScheduleEndEdit(1);
    EXPECT_EQ(bare.events, (std::vector<std::string>{"begin 1", "end 1"}));
}

TEST(EffectCore, DestructionDeletesTheEditor) {
    bool deleted = false;
    std::vector<std::string> log;
    {
        CoreWithParams core;
        core.AttachEditor(new RecordingEditor(&log, &deleted));
        core.NotifyAllParamsChanged();
        EXPECT_EQ(core.changed, (std::vector<int>{0, 1, 2}));
    }
    EXPECT_TRUE(deleted);
}

TEST(EffectCore, LockIsRecursiveAndExcludesOtherThreads) {
    CoreWithParams core;
    std::atomic<int> inside{0};
    std::atomic<bool> overlap{false};
    auto worker = [&] {
        for (int i = 0; i < 2000; ++i) {
            CoreLockGuard outer(&core.Lock());
            CoreLockGuard inner(&core.Lock());  // nested, as hooks take it again
            if (inside.fetch_add(1) != 0) overlap = true;
            core.ApplyHostParamChange(0, (i % 100) / 100.0);
            inside.fetch_sub(1);
        }
    };
    std::thread a(worker), b(worker);
    a.join();
    b.join();
    EXPECT_FALSE(overlap.load());
    EXPECT_EQ(core.changed.size(), 4000u);
    EXPECT_TRUE(core.Lock().TryLock());
    core.Lock().Unlock();
}

}  // namespace
}  // namespace tav
