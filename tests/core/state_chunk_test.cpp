#include "core/state_chunk.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/recording_host.h"

namespace tav {
namespace {

std::vector<uint8_t> Bytes(const StateChunk& chunk) {
    return {chunk.Data(), chunk.Data() + chunk.Size()};
}

TEST(StateChunk, WritesLittleEndianWhateverTheCpu) {
    StateChunk chunk;
    ASSERT_TRUE(chunk.PutHeader());
    ASSERT_TRUE(chunk.PutF64(1.0));
    ASSERT_TRUE(chunk.PutString("ab"));
    ASSERT_TRUE(chunk.PutFlag(true));
    const std::vector<uint8_t> expected = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00,
                                           0,    0,    0,    0,    0,    0,    0xF0, 0x3F,
                                           2,    0,    0,    0,    'a',  'b',  1};
    EXPECT_EQ(Bytes(chunk), expected);

    int32_t i = 0;
    double d = 0;
    bool flag = false;
    EXPECT_EQ(chunk.GetInt32(0, i), 4);
    EXPECT_EQ(static_cast<uint32_t>(i), StateChunk::kMagic);
    EXPECT_EQ(chunk.GetF64(8, d), 16);
    EXPECT_EQ(d, 1.0);
    EXPECT_EQ(chunk.GetFlag(22, flag), 23);
    EXPECT_TRUE(flag);
    EXPECT_EQ(chunk.GetFlag(23, flag), -1);
    EXPECT_EQ(chunk.GetF64(16, d), -1) << "only 7 bytes left";
    EXPECT_EQ(chunk.GetInt32(-1, i), -1);
    EXPECT_FALSE(chunk.Fits(0x7FFFFFFF, 4)) << "no overflow in the bounds check";
}

TEST(StateChunk, TakesItsOwnBytesBack) {
    StateChunk chunk;
    ASSERT_TRUE(chunk.PutHeader());
    ASSERT_TRUE(chunk.PutF64(2.5));
    const uint8_t* own = chunk.Data();
    ASSERT_TRUE(chunk.Assign(own + 8, 8)) << "a slice of itself";
    double d = 0;
    EXPECT_EQ(chunk.GetF64(0, d), 8);
    EXPECT_EQ(d, 2.5);
    EXPECT_EQ(chunk.Size(), 8);
    EXPECT_FALSE(chunk.Assign(chunk.Data() + 4, 5)) << "runs past what the chunk holds";
    EXPECT_EQ(chunk.Size(), 8);
}

TEST(CorePresets, SlotsStartAsNumberedPlaceholders) {
    EffectIdentity id;
    id.paramCount = 1;
    id.presetCount = 3;
    id.channelIo = "2-2";
    test::RecordingHost core(id);
    EXPECT_STREQ(core.PresetName(0), "- 1 -");
    EXPECT_STREQ(core.PresetName(2), "- 3 -");
    EXPECT_STREQ(core.PresetName(3), "");
    EXPECT_STREQ(core.PresetName(-1), "");
    EXPECT_FALSE(core.Preset(0)->initialised);
}

TEST(CorePresets, AnInstanceWithoutSlotsGetsADefault) {
    EffectIdentity id;
    id.paramCount = 2;
    id.channelIo = "2-2";
    test::RecordingHost core(id);
    core.Param(0)->DefineInteger("A", 7, 0, 10, "");
    core.Param(1)->DefineInteger("B", 3, 0, 10, "");
    core.EnsureDefaultPreset();
    ASSERT_EQ(core.PresetCount(), 1);
    EXPECT_STREQ(core.PresetName(0), "Default");
    EXPECT_EQ(core.Preset(0)->state.Size(), 16);
    core.EnsureDefaultPreset();
    EXPECT_EQ(core.PresetCount(), 1);
}

}  // namespace
}  // namespace tav
