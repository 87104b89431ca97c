// The host's transport model: positions, ramps, loops and pauses block by block.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "host/host_transport.h"

namespace tav {
namespace {

struct Block {
    TransportState at;  // what the block reported
    int frames;
};

// Renders blocks of at most `block` frames until `total` frames are done.
std::vector<Block> Play(HostTransport& t, std::int64_t total, int block) {
    std::vector<Block> blocks;
    for (std::int64_t done = 0; done < total;) {
        const int n = t.MaxFrames(static_cast<int>(std::min<std::int64_t>(block, total - done)));
        EXPECT_GE(n, 1);
        EXPECT_LE(n, block);
        blocks.push_back({t.Now(), n});
        t.Advance(n);
        done += n;
    }
    return blocks;
}

TransportPlan Plan(double startBeat, double loopStart = 0.0, double loopEnd = 0.0, int passes = 0,
                   std::vector<TransportPause> pauses = {}) {
    TransportPlan plan;
    plan.startBeat = startBeat;
    plan.loopStart = loopStart;
    plan.loopEnd = loopEnd;
    plan.loopPasses = passes;
    plan.pauses = std::move(pauses);
    return plan;
}

TransportPlan Ramp(TransportPlan plan, double to, std::int64_t frames) {
    plan.ramp = true;
    plan.rampTo = to;
    plan.rampFrames = frames;
    return plan;
}

double SamplesPerBeat(double rate, double tempo) {
    return rate * 60.0 / tempo;
}

TEST(HostTransport, SteadyTempoGivesEachSongSampleOneBeatWhateverTheStart) {
    struct Case {
        double rate, tempo;
        TransportPlan plan;
        int block;
    };
    const Case cases[] = {
        {44100.0, 120.0, Plan(1.01), 1},
        {48000.0, 97.5, Plan(0.333), 7},
        {44100.0, 133.0, Plan(2.5), 1},
        {96000.0, 61.3, Plan(0.0, 0.25, 0.75, 3), 100},
        {44100.0, 140.0, Plan(0.1, 0.0, 0.0, 0, {{0.5, 0.25}}), 64},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.block);
        HostTransport fromZero(c.rate, c.tempo, 4, 4);
        std::map<std::int64_t, double> beatAt;
        for (const Block& b : Play(fromZero, 250000, 1)) beatAt[b.at.samplePos] = b.at.beats;

        HostTransport other(c.rate, c.tempo, 4, 4, c.plan);
        EXPECT_EQ(other.Now().samplePos, std::llround(c.plan.startBeat * c.rate * 60.0 / c.tempo));
        int compared = 0;
        for (const Block& b : Play(other, 150000, c.block)) {
            ASSERT_TRUE(beatAt.count(b.at.samplePos));
            EXPECT_EQ(b.at.beats, beatAt[b.at.samplePos]) << "at sample " << b.at.samplePos;
            ++compared;
        }
        EXPECT_GT(compared, 0);
    }
}

TEST(HostTransport, RampGivesEachBlockTheTempoOfItsFirstFrame) {
    struct Case {
        double from, to, rate;
        std::int64_t total;
        int block;
    };
    for (const Case& c :
         {Case{100.0, 200.0, 44100.0, 10000, 1000}, Case{140.0, 70.0, 48000.0, 48000, 333},
          Case{90.0, 90.5, 8000.0, 999, 1}}) {
        const TransportPlan plan = Ramp(Plan(0.0), c.to, c.total);
        HostTransport t(c.rate, c.from, 4, 4, plan);
        const std::vector<Block> blocks = Play(t, c.total, c.block);
        std::int64_t done = 0;
        for (size_t k = 0; k < blocks.size(); ++k) {
            const TransportState& now = blocks[k].at;
            EXPECT_DOUBLE_EQ(now.tempo, c.from + (c.to - c.from) * done / c.total) << k;
            EXPECT_EQ(now.samplePos, done);
            EXPECT_EQ(now.changed, k == 0);  // tempo changes are no jumps
            if (k + 1 < blocks.size()) {
                const double moved = blocks[k].frames * now.tempo / (60.0 * c.rate);
                EXPECT_NEAR(blocks[k + 1].at.beats, now.beats + moved, 1e-9) << k;
            }
            done += blocks[k].frames;
        }
    }
}

TEST(HostTransport, LoopJumpsBackItsPassesAndNoBlockCrossesItsEnd) {
    struct Case {
        double tempo, start, a, b;
        int passes, block;
        bool ramp;
    };
    for (const Case& c :
         {Case{120.0, 0.0, 1.0, 2.0, 4, 512, false}, Case{97.0, 1.3, 1.5, 1.75, 2, 100, false},
          Case{150.0, 0.0, 0.0, 3.3, 1, 4096, false}, Case{100.0, 0.5, 1.0, 2.0, 3, 256, true}}) {
        SCOPED_TRACE(c.tempo);
        TransportPlan plan = Plan(c.start, c.a, c.b, c.passes);
        if (c.ramp) plan = Ramp(plan, 180.0, 4 * 44100);
        HostTransport t(44100.0, c.tempo, 4, 4, plan);
        const std::vector<Block> blocks = Play(t, 4 * 44100, c.block);
        int jumps = 0;
        for (size_t k = 0; k < blocks.size(); ++k) {
            const TransportState& now = blocks[k].at;
            EXPECT_TRUE(now.hasLoop);
            const bool jumped = k > 0 && now.samplePos < blocks[k - 1].at.samplePos;
            if (jumped) {
                ++jumps;
                EXPECT_NEAR(now.beats, c.a, 1e-3);
                EXPECT_GE(blocks[k - 1].at.beats +
                              blocks[k - 1].frames * blocks[k - 1].at.tempo / (60.0 * 44100.0),
                          c.b - 1e-3);
            }
            EXPECT_EQ(now.changed, k == 0 || jumped) << k;
            EXPECT_EQ(now.loopActive, jumps < c.passes) << k;
            if (now.loopActive) {
                EXPECT_LE(now.samplePos + blocks[k].frames, now.loopEndSample);
            }
        }
        EXPECT_EQ(jumps, c.passes);
        EXPECT_GT(blocks.back().at.beats, c.b);  // and then played on past the end
    }
}

TEST(HostTransport, PauseFreezesThePositionForItsLengthThenPlaysOn) {
    struct Case {
        double tempo, start;
        std::vector<TransportPause> pauses;
        int block;
    };
    for (const Case& c : {Case{120.0, 0.0, {{1.0, 0.5}}, 512}, Case{90.0, 0.7, {{0.7, 2.0}}, 100},
                          Case{133.0, 0.0, {{2.25, 1.0}, {0.5, 0.125}}, 4096},
                          Case{120.0, 2.0, {{1.0, 1.0}}, 512}}) {
        SCOPED_TRACE(c.tempo);
        HostTransport t(44100.0, c.tempo, 4, 4, Plan(c.start, 0.0, 0.0, 0, c.pauses));
        std::vector<TransportPause> reached;  // in order; play started past the others
        for (const TransportPause& p : c.pauses) {
            if (p.atBeat >= c.start) reached.push_back(p);
        }
        std::sort(reached.begin(), reached.end(),
                  [](const auto& a, const auto& b) { return a.atBeat < b.atBeat; });
        const double perBeat = SamplesPerBeat(44100.0, c.tempo);
        std::vector<std::int64_t> paused, expected;  // frames of each pause
        for (const TransportPause& p : reached) expected.push_back(std::llround(p.beats * perBeat));

        const std::vector<Block> blocks = Play(t, 8 * 44100, c.block);
        for (size_t k = 0; k < blocks.size(); ++k) {
            const TransportState& now = blocks[k].at;
            const bool prevPlaying = k == 0 || blocks[k - 1].at.playing;
            EXPECT_EQ(now.changed, k == 0 || now.playing != prevPlaying) << k;
            EXPECT_EQ(now.tempo, c.tempo);
            if (now.playing) continue;
            if (prevPlaying) {
                ASSERT_LT(paused.size(), reached.size());
                // The block before ended right where the pause begins.
                EXPECT_EQ(now.samplePos, std::llround(reached[paused.size()].atBeat * perBeat));
                paused.push_back(0);
            } else {
                EXPECT_EQ(now.samplePos, blocks[k - 1].at.samplePos);
            }
            paused.back() += blocks[k].frames;
            if (k + 1 < blocks.size() && blocks[k + 1].at.playing) {
                EXPECT_EQ(blocks[k + 1].at.samplePos, now.samplePos);  // on from where it stopped
            }
        }
        EXPECT_EQ(paused, expected);
    }
}

TEST(HostTransport, TempoMapPlacesEachBlockOnTheIntegratedPosition) {
    // A ramp linear in beats, 100 to 140 BPM over beats 4 to 20 after 2 s at 120:
    // beats pass at tempo/60 a second, so within it b = 4 + 100/k (e^(k t/60) - 1).
    const double k = 40.0 / 16.0, rampSeconds = 60.0 / k * std::log(1.4);
    const auto rampBeat = [&](double t) {
        if (t < 2.0) return 2.0 * t;
        if (t < 2.0 + rampSeconds) return 4.0 + 100.0 / k * std::expm1(k * (t - 2.0) / 60.0);
        return 20.0 + (t - 2.0 - rampSeconds) * 140.0 / 60.0;
    };
    const auto rampTempo = [&](double b) {
        return b < 4.0 ? 120.0 : std::min(140.0, 100.0 + k * (b - 4.0));
    };
    const auto ardourTempo = [&](double b) { return b >= 4.0 && b < 20.0 ? 100.0 : rampTempo(b); };
    const auto stepBeat = [](double t) {
        return t < 4.0   ? 2.0 * t
               : t < 5.5 ? 8.0 + (t - 4.0) * 160.0 / 60.0
                         : 12.0 + (t - 5.5) * 1.5;
    };
    const auto stepTempo = [](double b) { return b < 8.0 ? 120.0 : b < 12.0 ? 160.0 : 90.0; };

    TransportPlan ramp;
    ramp.mapRamp = true;
    ramp.mapRampStart = 4.0;
    ramp.mapRampEnd = 20.0;
    ramp.mapRampFrom = 100.0;
    ramp.mapRampTo = 140.0;
    TransportPlan ardour = ramp;
    ardour.reportRampStartTempo = true;
    TransportPlan steps;
    steps.tempoSteps = {{12.0, 90.0}, {8.0, 160.0}};

    struct Case {
        const char* name;
        TransportPlan plan;
        std::function<double(double)> beatAt, tempoAt;
        std::vector<double> pointSeconds;  // where blocks must start
    };
    const Case cases[] = {
        {"ramp", ramp, rampBeat, rampTempo, {2.0, 2.0 + rampSeconds}},
        {"ardour", ardour, rampBeat, ardourTempo, {2.0, 2.0 + rampSeconds}},
        {"steps", steps, stepBeat, stepTempo, {4.0, 5.5}},
    };
    for (const Case& c : cases) {
        for (int block : {1, 700}) {
            SCOPED_TRACE(std::string(c.name) + " " + std::to_string(block));
            HostTransport t(48000.0, 120.0, 4, 4, c.plan);
            const std::vector<Block> blocks = Play(t, 12 * 48000, block);
            std::vector<std::int64_t> points, starts;
            for (double seconds : c.pointSeconds) points.push_back(std::llround(seconds * 48000.0));
            for (const Block& b : blocks) {
                const TransportState& now = b.at;
                starts.push_back(now.samplePos);
                // A block that starts on a point lands on its beat, half a sample from
                // the map at most; elsewhere the position is the integral itself.
                const bool onPoint = std::count(points.begin(), points.end(), now.samplePos) > 0;
                const double tolerance = onPoint ? 0.5 * 140.0 / (60.0 * 48000.0) : 1e-9;
                ASSERT_NEAR(now.beats, c.beatAt(now.samplePos / 48000.0), tolerance)
                    << now.samplePos;
                ASSERT_DOUBLE_EQ(now.tempo, c.tempoAt(now.beats)) << now.samplePos;
                EXPECT_EQ(now.changed, now.samplePos == 0);
            }
            for (std::int64_t point : points) {
                EXPECT_TRUE(std::binary_search(starts.begin(), starts.end(), point)) << point;
            }
        }
    }
}

TEST(HostTransport, HostChangesOfTempoAndRate) {
    HostTransport t(44100.0, 120.0, 4, 4, Plan(1.0));
    t.SetSampleRate(48000.0);  // before any audio: the start is at the new rate
    EXPECT_EQ(t.Now().samplePos, 24000);
    t.Advance(24000);
    EXPECT_FALSE(t.Now().changed);
    t.SetTempo(60.0);
    EXPECT_TRUE(t.Now().changed);
    EXPECT_EQ(t.Now().beats, 2.0);  // the beat holds; the tempo counts from here
    t.Advance(48000);
    EXPECT_DOUBLE_EQ(t.Now().beats, 3.0);
    t.SetSampleRate(0.0);  // refused
    EXPECT_EQ(t.Now().sampleRate, 48000.0);
}

}  // namespace
}  // namespace tav
