// The seam the block-fed formats share, driven directly: each kind of change
// lands where it should, and a host's state stream is read under one limit.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "core/block_plugin.h"
#include "core/plugin_state.h"
#include "effect/extra_settings.h"
#include "effect/factory_presets.h"
#include "effect/phaser_effect.h"
#include "effect/phaser_params.h"

namespace tav {
namespace {

// A host layer that answers nothing back: the seam needs only the transport.
class QuietHost : public TransportCore {
  public:
    using TransportCore::TransportCore;
    void HostBeginEdit(int) override {}
    void HostAutomate(int, double) override {}
    void HostEndEdit(int) override {}
    void HostDisplayChanged() override {}
};

using Effect = PhaserEffect<QuietHost>;

std::unique_ptr<TransportCore> MakeModel() {
    auto model = std::make_unique<Effect>();
    model->NotifyAllParamsChanged();
    return model;
}

struct Seam {
    Effect effect;
    BlockPlugin plugin{effect, MakeModel};
    Seam() {
        EXPECT_TRUE(plugin.SetUp(44100.0, 1 << 20));
        plugin.SetActive(true);
    }
};

TEST(BlockPlugin, EveryKindOfChangeLandsWithAudioOrWithout) {
    for (const bool withAudio : {false, true}) {
        Seam seam;
        seam.plugin.BeginChanges(64);
        EXPECT_TRUE(seam.plugin.AddParam(40, ParamWetLeft, 0.25));
        EXPECT_TRUE(seam.plugin.AddTempo(10, 93.0));
        EXPECT_TRUE(seam.plugin.AddSetting(20, kSweepSyncSetting, 1.0));
        EXPECT_TRUE(seam.plugin.AddBypass(9999, true));  // beyond the block: at its end
        EXPECT_TRUE(seam.plugin.AddProgram(0, 3));
        // Nonsense is refused, not applied.
        EXPECT_FALSE(seam.plugin.AddParam(0, 99, 0.5));
        EXPECT_FALSE(seam.plugin.AddProgram(0, 99));
        EXPECT_FALSE(seam.plugin.AddTempo(0, NAN));
        if (withAudio) {
            std::vector<float> left(64, 0.1f), right(64, -0.1f);
            float* io[2] = {left.data(), right.data()};
            seam.plugin.Render<float>(io, io, 64);
        } else {
            seam.plugin.ApplyChanges();
        }
        // The program at 0 came first, so the edit at 40 is the edit of the program.
        EXPECT_EQ(seam.effect.CurrentPreset(), 3) << withAudio;
        EXPECT_DOUBLE_EQ(seam.effect.Param(ParamWetLeft)->CurrentUnit(), 0.25) << withAudio;
        EXPECT_EQ(seam.effect.HostTempo(), 93.0) << withAudio;
        EXPECT_EQ(seam.effect.GetSweepSync(), SweepSync::Song) << withAudio;
        EXPECT_TRUE(seam.plugin.Bypassed()) << withAudio;
    }
}

TEST(BlockPlugin, ScratchIsCappedAndLongBlocksRunInSlices) {
    Seam seam;
    EXPECT_EQ(seam.effect.BlockFrames(), BlockPlugin::kMaxScratchFrames);
    EXPECT_FALSE(seam.plugin.SetUp(0.0, 512));
    EXPECT_FALSE(seam.plugin.SetUp(44100.0, 0));
}

// One limit for every format's state: exactly the limit is read, a byte more is not.
TEST(BlockPlugin, StateStreamsAreReadUnderOneLimit) {
    const struct {
        size_t size;
        bool read;
    } cases[] = {{0, true}, {100, true}, {kMaxStateBytes, true}, {kMaxStateBytes + 1, false}};
    for (const auto& c : cases) {
        size_t left = c.size;
        std::vector<uint8_t> bytes;
        const bool read = ReadStateStream(
            [&](uint8_t* into, size_t most) -> int64_t {
                const size_t n = std::min(left, most);
                std::memset(into, 7, n);
                left -= n;
                return static_cast<int64_t>(n);
            },
            bytes);
        EXPECT_EQ(read, c.read) << c.size;
        if (read) {
            EXPECT_EQ(bytes.size(), c.size);
        }
    }
    std::vector<uint8_t> bytes;
    EXPECT_FALSE(ReadStateStream([](uint8_t*, size_t) -> int64_t { return -1; }, bytes));
    EXPECT_FALSE(ReadStateStream(
        [](uint8_t*, size_t most) { return static_cast<int64_t>(most) + 1; }, bytes));
}

void RunBlock(Seam& seam, int n) {
    std::vector<float> left(256, 0.1f), right(256, -0.1f);
    float* io[2] = {left.data(), right.data()};
    seam.plugin.BeginChanges(256);
    seam.plugin.AddParam(n % 256, n % ParamCount, (n % 97) / 96.0);
    if (n % 7 == 0) seam.plugin.AddProgram(0, n % kFactoryPresetCount);
    if (n % 5 == 0) seam.plugin.AddSetting(0, kGlideSetting, n % 2);
    seam.plugin.Render<float>(io, io, 256);
}

HandedChange Handed(ChangeKind kind, int index, double value) {
    HandedChange change;
    change.change = kind;
    change.index = index;
    change.value = value;
    return change;
}

// What another thread saves or reads while the audio runs is the audio thread's
// model once it has taken what was handed to it: the same bytes as a save with
// the audio stopped, whatever is still on its way (values, a program, a state).
TEST(BlockPlugin, ModelReadWhileTheAudioRunsIsTheOneItWillHave) {
    Seam other;
    for (int n = 0; n < 9; ++n) RunBlock(other, n + 3);
    std::vector<uint8_t> otherState;
    ASSERT_TRUE(other.plugin.SaveState(otherState));

    for (int pending = 0; pending < 4; ++pending) {
        Seam seam;
        for (int n = 0; n < 20; ++n) RunBlock(seam, n);
        ASSERT_TRUE(seam.plugin.Hand(Handed(ChangeKind::Param, ParamFreqLeft, 0.75)));
        if (pending >= 1) {
            ASSERT_TRUE(seam.plugin.Hand(Handed(ChangeKind::Program, 5, 0.0)));
        }
        if (pending >= 2) {
            ASSERT_TRUE(seam.plugin.LoadState(otherState));
        }
        if (pending >= 3) {
            ASSERT_TRUE(seam.plugin.Hand(Handed(ChangeKind::Bypass, 0, 1.0)));
        }
        std::vector<uint8_t> whileLive;
        ModelValues model;
        ASSERT_TRUE(seam.plugin.SaveState(whileLive)) << pending;
        ASSERT_TRUE(seam.plugin.ReadModel(model)) << pending;

        seam.plugin.BeginChanges(0);  // the audio thread's next call takes them
        seam.plugin.ApplyChanges();
        seam.plugin.SetActive(false);
        std::vector<uint8_t> stopped;
        ASSERT_TRUE(seam.plugin.SaveState(stopped));
        EXPECT_EQ(whileLive, stopped) << pending;
        EXPECT_EQ(model.program, seam.effect.CurrentPreset()) << pending;
        EXPECT_EQ(model.bypass != 0, seam.plugin.Bypassed()) << pending;
        for (int i = 0; i < ParamCount; ++i)
            EXPECT_EQ(model.params[i], seam.effect.Param(i)->value) << pending << " " << i;
    }
}

// Another thread saving, loading and switching programs while blocks run back to
// back: every save reads whole, and the audio never stops for it.
TEST(BlockPlugin, SavesAndLoadsRunBesideTheAudio) {
    Seam seam;
    std::vector<uint8_t> first;
    ASSERT_TRUE(seam.plugin.SaveState(first));
    std::atomic<bool> done{false};
    std::thread audio([&] {
        for (int n = 0; !done.load(); ++n) RunBlock(seam, n);
    });
    int saved = 0;
    for (int round = 0; round < 200; ++round) {
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(seam.plugin.SaveState(bytes));
        ASSERT_TRUE(seam.plugin.LoadState(round % 2 == 0 ? first : bytes));
        seam.plugin.Hand(Handed(ChangeKind::Program, round % kFactoryPresetCount, 0.0));
        ModelValues model;
        ASSERT_TRUE(seam.plugin.ReadModel(model));
        saved += bytes.empty() ? 0 : 1;
    }
    done = true;
    audio.join();
    EXPECT_EQ(saved, 200);
}

}  // namespace
}  // namespace tav
