// The seam the block-fed formats share, driven directly: each kind of change
// lands where it should, and a host's state stream is read under one limit.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "core/block_plugin.h"
#include "core/plugin_state.h"
#include "effect/extra_settings.h"
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

struct Seam {
    Effect effect;
    BlockPlugin plugin{effect};
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

}  // namespace
}  // namespace tav
