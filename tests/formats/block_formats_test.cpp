// What every format with block-timed changes and a state of its own must do
// alike, checked once over each through its real exports: the state round trip
// and its refusals, every parameter's text, and changes at their frame offsets.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "host/plugin_instance.h"
#include "tests/support/plugin_audio.h"

namespace tav {
namespace {

using test::Channels;
using test::Chord;

struct Format {
    const char* name;
    std::string path;
};
void PrintTo(const Format& format, std::ostream* out) {
    *out << format.name;
}

class BlockFormat : public ::testing::TestWithParam<Format> {
  protected:
    std::unique_ptr<PluginInstance> Open() {
        std::string error;
        auto plugin = OpenPlugin(GetParam().path, HostSettings{}, PluginUse{}, &error);
        EXPECT_TRUE(plugin) << error;
        return plugin;
    }
    static int Find(PluginInstance& plugin, const char* name) {
        const int index = plugin.FindParam(name);
        EXPECT_GE(index, 0) << name;
        return index;
    }
};

TEST_P(BlockFormat, StateRoundTripsAndDamagedStatesChangeNothing) {
    auto source = Open();
    ASSERT_TRUE(source);
    source->SetProgram(4);
    ASSERT_TRUE(source->SetParameterText(2, "71"));  // an edit of the program chosen
    ASSERT_TRUE(source->SetParameterText(Find(*source, "Bypass"), "On"));
    ASSERT_TRUE(source->SetParameterText(Find(*source, "Sweep Sync"), "Song"));
    const std::vector<uint8_t> saved = source->SaveState(false);
    ASSERT_GT(saved.size(), 16u);

    // Every format of this kind saves the same bytes: each opens the others' too.
    for (const Format& other :
         {Format{"VST 3", TAV_VST3_BUNDLE}, Format{"CLAP", TAV_CLAP_MODULE}}) {
        std::string error;
        auto copy = OpenPlugin(other.path, HostSettings{}, PluginUse{}, &error);
        ASSERT_TRUE(copy) << error;
        ASSERT_TRUE(copy->LoadState(false, saved)) << other.name;
        EXPECT_EQ(copy->SaveState(false), saved) << other.name;
        EXPECT_EQ(copy->ParamDisplay(2), "71") << other.name;
        EXPECT_EQ(copy->ParamDisplay(Find(*copy, "Bypass")), "On") << other.name;
        EXPECT_EQ(copy->ParamDisplay(Find(*copy, "Sweep Sync")), "Song") << other.name;
    }

    auto untouched = Open();
    const std::vector<uint8_t> fresh = untouched->SaveState(false);
    std::vector<std::vector<uint8_t>> damaged = {{}, {1, 2, 3}};
    for (size_t cut : {size_t{8}, saved.size() / 2, saved.size() - 17, saved.size() - 1})
        damaged.emplace_back(saved.begin(), saved.begin() + static_cast<long>(cut));
    std::vector<uint8_t> flipped = saved;
    flipped[8] ^= 0xFF;  // the first program name's length
    damaged.push_back(flipped);
    std::vector<uint8_t> badBypass = saved;
    badBypass[badBypass.size() - 8] = 7;
    damaged.push_back(badBypass);
    std::vector<uint8_t> foreign = {'C', 'c', 'n', 'K', 0, 0, 0,   52,  'F', 'x',
                                    'C', 'k', 0,   0,   0, 1, 'a', 'b', 'c', 'd'};
    foreign.resize(200);
    damaged.push_back(foreign);
    for (const auto& bytes : damaged) {
        EXPECT_FALSE(untouched->LoadState(false, bytes))
            << bytes.size() << " of " << saved.size() << " bytes";
        EXPECT_EQ(untouched->SaveState(false), fresh);
    }
}

// What a parameter shows, typed back, is taken and shows the same.
TEST_P(BlockFormat, EveryParameterTextRoundTrips) {
    auto plugin = Open();
    ASSERT_TRUE(plugin);
    ASSERT_GE(plugin->NumParams(), 15);
    constexpr int kSteps = 20;
    for (int i = 0; i < plugin->NumParams(); ++i) {
        for (int s = 0; s <= kSteps; ++s) {
            plugin->SetParamValue(i, static_cast<double>(s) / kSteps);
            const std::string text = plugin->ParamDisplay(i);
            ASSERT_TRUE(plugin->SetParameterText(i, text)) << plugin->ParamName(i) << " " << text;
            EXPECT_EQ(plugin->ParamDisplay(i), text) << plugin->ParamName(i);
        }
    }
}

TEST_P(BlockFormat, ChangesLandAtTheirFrameOffsetsInTimeOrder) {
    const Channels input = Chord(512);
    const auto part = [&](int from, int to) {
        return Channels{{input[0].begin() + from, input[0].begin() + to},
                        {input[1].begin() + from, input[1].begin() + to}};
    };
    auto start = [this] {
        auto plugin = Open();
        EXPECT_TRUE(plugin && plugin->StartAudio(ProcessKind::Replacing, nullptr));
        return plugin;
    };
    // Changes at 300 in one block are the block split there with them between;
    // given out of order they land in time order.
    auto whole = start();
    whole->SetParamValueAt(1, 0.9, 300);
    whole->SetParamValueAt(4, 0.6, 400);
    whole->SetParamValueAt(4, 0.1, 300);
    const Channels one = test::RenderBlock(*whole, input);

    auto split = start();
    Channels joined = test::RenderBlock(*split, part(0, 300));
    split->SetParamValueAt(4, 0.1, 0);
    split->SetParamValueAt(1, 0.9, 0);
    split->SetParamValueAt(4, 0.6, 100);
    const Channels tail = test::RenderBlock(*split, part(300, 512));
    for (int c = 0; c < 2; ++c) {
        joined[c].insert(joined[c].end(), tail[c].begin(), tail[c].end());
        EXPECT_EQ(one[c], joined[c]) << "channel " << c;
    }
    EXPECT_NE(one, test::RenderBlock(*start(), input)) << "the changes changed nothing";
}

// Sweep Sync: a setting the host may set in a block, kept in the state only when
// it is "Song" (the VST 2 bank chunk's trailer), so "Free" states stay as they were.
TEST_P(BlockFormat, SweepSyncTravelsInBlocksAndStates) {
    auto plugin = Open();
    ASSERT_TRUE(plugin && plugin->StartAudio(ProcessKind::Replacing, nullptr));
    const int sync = Find(*plugin, "Sweep Sync");
    EXPECT_EQ(plugin->ParamDisplay(sync), "Free");
    EXPECT_FALSE(plugin->SetParameterText(sync, "Sometimes"));
    const std::vector<uint8_t> freeState = plugin->SaveState(false);
    plugin->SetParamValueAt(sync, 1.0, 100);
    test::RenderBlock(*plugin, Chord(256));
    EXPECT_EQ(plugin->ParamDisplay(sync), "Song");
    const std::vector<uint8_t> songState = plugin->SaveState(false);
    ASSERT_EQ(songState.size(), freeState.size() + 12);
    EXPECT_EQ(std::string(songState.end() - 28, songState.end() - 24), "TvSy");

    auto copy = Open();
    ASSERT_TRUE(copy->LoadState(false, songState));
    EXPECT_EQ(copy->ParamDisplay(sync), "Song");
    ASSERT_TRUE(copy->LoadState(false, freeState));
    EXPECT_EQ(copy->ParamDisplay(sync), "Free");
}

// Glide: a setting like Sweep Sync, kept in the state only when it is "Off"; at
// steady settings either way sounds the same to the last bit, and only a change
// sounds different.
TEST_P(BlockFormat, GlideIsKeptWhenOffAndChangesNothingSteady) {
    Channels outs[2][2] = {{Channels(2), {}}, {Channels(2), {}}};  // steady, then a change
    std::vector<uint8_t> states[2];
    for (const bool on : {false, true}) {
        auto plugin = Open();
        ASSERT_TRUE(plugin && plugin->StartAudio(ProcessKind::Replacing, nullptr));
        const int glide = Find(*plugin, "Glide");
        if (!on) {
            ASSERT_TRUE(plugin->SetParameterText(glide, "Off"));
        }
        EXPECT_EQ(plugin->ParamDisplay(glide), on ? "On" : "Off");
        states[on] = plugin->SaveState(false);
        for (int block = 0; block < 8; ++block) {
            const Channels out = test::RenderBlock(*plugin, Chord(512, 512 * block));
            for (int c = 0; c < 2; ++c)
                outs[on][0][c].insert(outs[on][0][c].end(), out[c].begin(), out[c].end());
        }
        plugin->SetParamValueAt(4, 0.2, 100);  // Wet Left 80 -> 20 %
        outs[on][1] = test::RenderBlock(*plugin, Chord(512, 4096));
    }
    EXPECT_EQ(outs[0][0], outs[1][0]) << "steady settings sound the same";
    EXPECT_NE(outs[0][1], outs[1][1]) << "a change glides only with Glide on";
    ASSERT_EQ(states[0].size(), states[1].size() + 12);
    auto copy = Open();
    ASSERT_TRUE(copy->LoadState(false, states[0]));
    EXPECT_EQ(copy->ParamDisplay(Find(*copy, "Glide")), "Off");
    EXPECT_EQ(copy->SaveState(false), states[0]);
    ASSERT_TRUE(copy->LoadState(false, states[1]));
    EXPECT_EQ(copy->ParamDisplay(Find(*copy, "Glide")), "On");
}

INSTANTIATE_TEST_SUITE_P(Formats, BlockFormat,
                         ::testing::Values(Format{"VST 3", TAV_VST3_BUNDLE},
                                           Format{"CLAP", TAV_CLAP_MODULE}),
                         [](const auto& test) {
                             return std::string(test.param.name[0] == 'V' ? "Vst3" : "Clap");
                         });

}  // namespace
}  // namespace tav
