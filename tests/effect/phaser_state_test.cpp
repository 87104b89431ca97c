// The VST 3 and CLAP state of the phaser (core/plugin_state) with Sweep Sync: it
// rides in the bank chunk as the VST 2 module saves it, states saved before it
// existed load as "Free", and a damaged one changes nothing.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/plugin_state.h"
#include "effect/phaser_effect.h"
#include "tests/support/recording_host.h"

namespace tav {
namespace {

using StatePhaser = PhaserEffect<test::RecordingHost>;
using Bytes = std::vector<uint8_t>;

Bytes Save(StatePhaser& fx, bool bypass = false) {
    StateChunk scratch;
    Bytes out;
    EXPECT_TRUE(SavePluginState(fx, scratch, bypass, out));
    return out;
}

bool Load(StatePhaser& fx, const Bytes& bytes, LoadedState* loaded = nullptr) {
    StateChunk scratch;
    LoadedState ignored;
    return LoadPluginState(fx, scratch, bytes.data(), bytes.size(),
                           loaded != nullptr ? *loaded : ignored);
}

Bytes Chunk(StatePhaser& fx, int index) {
    StateChunk chunk;
    void* data = nullptr;
    const int32_t size = fx.GetChunk(index, chunk, &data);
    const auto* p = static_cast<const uint8_t*>(data);
    return size > 0 ? Bytes(p, p + size) : Bytes();
}

void PutLe32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i, v >>= 8) b.push_back(static_cast<uint8_t>(v));
}

// A state as the plug-in wrote it before Sweep Sync: the bank chunk, then "TvS3"
// (as a little-endian word), version 1, bypass, current program.
Bytes OldState(StatePhaser& fx, bool bypass, int program) {
    Bytes b = Chunk(fx, 0);
    PutLe32(b, 0x54765333u);
    PutLe32(b, 1);
    PutLe32(b, bypass ? 1 : 0);
    PutLe32(b, static_cast<uint32_t>(program));
    return b;
}

TEST(PhaserState, FreeStatesAreTheBytesOfBefore) {
    StatePhaser fx;
    ASSERT_TRUE(fx.SelectPreset(3));
    EXPECT_EQ(Save(fx, true), OldState(fx, true, 3));
    fx.SetSweepSync(SweepSync::Song);
    fx.SetSweepSync(SweepSync::Free);
    EXPECT_EQ(Save(fx, true), OldState(fx, true, 3));
}

TEST(PhaserState, SweepSyncTravelsInEveryFormTheStateReads) {
    StatePhaser source;
    ASSERT_TRUE(source.SelectPreset(2));
    const Bytes old = OldState(source, true, 2);
    source.SetSweepSync(SweepSync::Song);
    const Bytes state = Save(source, true);
    // The bank chunk with its own trailer, then ours as it always was.
    ASSERT_EQ(state.size(), old.size() + 12);
    EXPECT_EQ(Bytes(state.end() - 16, state.end()), Bytes(old.end() - 16, old.end()));
    EXPECT_EQ(Bytes(state.end() - 28, state.end() - 24), (Bytes{'T', 'v', 'S', 'y'}));

    // Ours, one saved before Sweep Sync, and the VST 2 program chunk with the trailer
    // (which only its length tells from a bank).
    const struct {
        const char* what;
        Bytes bytes;
        SweepSync before, after;
    } cases[] = {
        {"our state", state, SweepSync::Free, SweepSync::Song},
        {"a state saved before Sweep Sync", old, SweepSync::Song, SweepSync::Free},
        {"the VST 2 program chunk", Chunk(source, 1), SweepSync::Free, SweepSync::Song},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        StatePhaser fx;
        fx.SetSweepSync(c.before);
        ASSERT_TRUE(Load(fx, c.bytes));
        EXPECT_EQ(fx.GetSweepSync(), c.after);
        for (int i = 0; i < fx.ParamCount(); ++i)
            EXPECT_EQ(fx.Param(i)->value, source.Param(i)->value) << i;
    }
    StatePhaser copy;
    ASSERT_TRUE(Load(copy, state));
    EXPECT_EQ(Save(copy, true), state);
}

TEST(PhaserState, DamagedSweepSyncInAStateChangesNothing) {
    StatePhaser source;
    source.SetSweepSync(SweepSync::Song);
    const Bytes state = Save(source);
    const Bytes program = Chunk(source, 1);
    ASSERT_GT(state.size(), 24u);
    Bytes badVersion = state;
    badVersion.at(state.size() - 24) = 2;
    Bytes badSync = state;
    badSync.at(state.size() - 20) = 5;
    const std::pair<const char*, Bytes> damaged[] = {
        {"version 2", badVersion},
        {"sync 5", badSync},
        {"program chunk cut in its trailer", Bytes(program.begin(), program.end() - 3)},
    };
    StatePhaser fx;
    ASSERT_TRUE(fx.SelectPreset(4));
    const Bytes before = Save(fx);
    for (const auto& [what, bytes] : damaged) {
        SCOPED_TRACE(what);
        EXPECT_FALSE(Load(fx, bytes));
        EXPECT_EQ(fx.GetSweepSync(), SweepSync::Free);
        EXPECT_EQ(Save(fx), before);
    }
}

}  // namespace
}  // namespace tav
