// Render's automation and reactivations, on a plug-in that records what reaches it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "host/render.h"

namespace tav {
namespace {

// Records every change with the frame of the render it lands on, and the blocks
// and rates it is given.
class RecordingPlugin final : public PluginInstance {
  public:
    explicit RecordingPlugin(bool inBlock) : inBlock_(inBlock) {
        HostSettings settings;
        settings.tempo = 120.0;
        StartTransport(settings);
    }
    using Change = std::tuple<std::int64_t, int, double>;  // frame, parameter, value
    std::vector<Change> changes;
    std::vector<int> blocks;
    std::vector<std::string> calls;

    int NumInputs() const override { return 0; }
    int NumOutputs() const override { return 1; }
    bool Supports(ProcessKind) const override { return true; }
    bool StartAudio(ProcessKind, std::string*) override {
        calls.push_back("start");
        return true;
    }
    void StopAudio() override { calls.push_back("stop"); }
    bool ChangeSampleRate(double rate, std::string* error) override {
        calls.push_back("rate " + std::to_string(static_cast<int>(rate)));
        return PluginInstance::ChangeSampleRate(rate, error);
    }
    void Process(ProcessKind, float**, float**, int frames) override {
        blocks.push_back(frames);
        done_ += frames;
    }
    void ProcessDouble(double**, double**, int) override {}
    int NumParams() const override { return 2; }
    std::string ParamName(int index) override { return "p" + std::to_string(index); }
    std::string ParamLabel(int) override { return {}; }
    std::string ParamDisplay(int) override { return {}; }
    double ParamValue(int) override { return 0.0; }
    void SetParamValue(int index, double unit) override { SetParamValueAt(index, unit, 0); }
    void SetParamValueAt(int index, double unit, int offset) override {
        changes.emplace_back(done_ + offset, index, unit);
    }
    bool TakesChangesInBlock() const override { return inBlock_; }
    void ResendParam(int) override {}
    bool SetParameterText(int, const std::string&) override { return false; }
    int NumPrograms() const override { return 0; }
    int Program() override { return 0; }
    void SetProgram(int) override {}
    std::string ProgramName(int) override { return {}; }
    std::vector<std::uint8_t> SaveState(bool) override { return {}; }
    bool LoadState(bool, const std::vector<std::uint8_t>&) override { return false; }
    const char* StateName(bool) const override { return "state"; }
    void PrintInfo(const std::string&, std::ostream&) override {}
    void PrintRequests(std::ostream&) override {}
    bool EditorSize(int*, int*, std::string*) override { return false; }
    bool SetEditorScale(double, std::string*) override { return false; }
    bool OpenEditorIn(void*, std::string*) override { return false; }
    void CloseEditorWindow() override {}
    void EditorIdle() override {}

  private:
    bool inBlock_;
    std::int64_t done_ = 0;
};

AudioBuffer Silence(std::int64_t frames) {
    AudioBuffer input;
    input.Resize(1, frames);
    return input;
}

TEST(RenderAutomation, ChangesLandPerBlockOrOnTheirFramesAndOnlyWhenNew) {
    // Parameter 0 ramps 0 to 1 over frames 10..14, parameter 1 steps at 7 and again
    // to the same value at 20, which sends nothing.
    RenderOptions options;
    options.blockSize = 8;
    options.lanes = {{0, {{10, 14, 0.0, 1.0}}}, {1, {{7, 7, 0.5, 0.5}, {20, 20, 0.5, 0.5}}}};
    using C = RecordingPlugin::Change;
    struct Case {
        bool accurate, inBlock;
        std::vector<C> expected;
    };
    const std::vector<C> perBlock = {{8, 1, 0.5}, {16, 0, 1.0}};
    const Case cases[] = {
        {false, true, perBlock},
        {true, false, perBlock},  // VST 2: between blocks whatever is asked
        {true,
         true,
         {{7, 1, 0.5}, {10, 0, 0.0}, {11, 0, 0.25}, {12, 0, 0.5}, {13, 0, 0.75}, {14, 0, 1.0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.accurate * 2 + c.inBlock);
        RecordingPlugin plugin(c.inBlock);
        options.sampleAccurate = c.accurate;
        Render(plugin, Silence(24), options);
        EXPECT_EQ(plugin.changes, c.expected);
        EXPECT_EQ(plugin.blocks, (std::vector<int>{8, 8, 8}));
    }
}

TEST(RenderAutomation, BeatsResolveWhereThePlugInsTransportReachesThem) {
    // 120 BPM at 44.1 kHz: 22050 frames a beat; beat 0 is reached at once.
    RenderOptions options;
    options.blockSize = 1000;
    HostSettings settings;
    TransportPlan& plan = settings.transport;
    plan.tempoSteps = {{2.0, 60.0}};
    options.rateChanges = {{30000, 88200.0}};
    // Beat 1 at 22050; beat 2 at 44100, where the rate is twice: beat 2.5 a minute's
    // half-beat (at 60 BPM) later, 44100 frames of the new rate.
    const std::vector<std::int64_t> frames =
        FramesOfBeats(MakeTransport(settings), 200000, options, {0.0, 1.0, 2.0, 2.5, 9.0});
    // The rate change at 30000 lands at beat 30000/22050 and doubles frames per beat.
    const double atChange = 30000.0 / 22050.0;
    const auto after = [&](double beat) {
        return std::int64_t{30000} + std::llround((beat - atChange) * 44100.0);
    };
    EXPECT_EQ(frames, (std::vector<std::int64_t>{0, 22050, after(2.0), after(2.0) + 44100, -1}));
}

TEST(RenderAutomation, ReactivationStopsSetsTheRateAndStartsBetweenBlocks) {
    RecordingPlugin plugin(true);
    RenderOptions options;
    options.blockSize = 100;
    options.rateChanges = {{150, 48000.0}};
    Render(plugin, Silence(300), options);
    EXPECT_EQ(plugin.blocks, (std::vector<int>{100, 50, 100, 50}));
    EXPECT_EQ(plugin.calls, (std::vector<std::string>{"stop", "rate 48000", "start"}));
}

}  // namespace
}  // namespace tav
