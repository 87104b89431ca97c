#include "tests/vst3/editor_view_test.h"

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "tests/support/editor_cycles.h"

#include "effect/phaser_params.h"
#include "host/formats/hosted_vst2.h"

namespace tav::vst3test {

using namespace tav::test;

void EditorViewTest::SetUpTestSuite() {
    std::string error;
    plugin = HostedVst3::Load(TAV_VST3_BUNDLE, HostSettings(), &error).release();
    ASSERT_NE(plugin, nullptr) << error;
    window = EditorHostWindow::Create(&error).release();
    ASSERT_NE(window, nullptr) << error;
    ASSERT_TRUE(window->OpenEditor(*plugin, &error)) << error;
}

void EditorViewTest::TearDownTestSuite() {
    delete window;
    window = nullptr;
    delete plugin;
    plugin = nullptr;
}

void EditorViewTest::SetUp() {
    ASSERT_NE(window, nullptr);
    if (!window->IsEditorOpen()) {
        std::string error;
        ASSERT_TRUE(window->OpenEditor(*plugin, &error)) << error;
    }
    plugin->SetProgram(0);
    ASSERT_TRUE(window->WaitTicks(2));
    plugin->Handler().Clear();
}

RgbImage EditorViewTest::Shot() {
    RgbImage image;
    std::string error;
    EXPECT_TRUE(window->Capture(&image, &error)) << error;
    return image;
}

std::vector<std::string> EditorViewTest::CallsUntilEnd() {
    window->PumpUntil(
        [] {
            const auto calls = plugin->Handler().Calls();
            return !calls.empty() && calls.back().rfind("end ", 0) == 0;
        },
        kTimeoutMs);
    return plugin->Handler().Calls();
}

namespace {

// A gesture as hosts must see it: begin, at least one value, end, all of one id.
void ExpectOneGesture(const std::vector<std::string>& calls, int id) {
    const std::string n = std::to_string(id);
    ASSERT_GE(calls.size(), 3u) << ::testing::PrintToString(calls);
    EXPECT_EQ(calls.front(), "begin " + n);
    EXPECT_EQ(calls.back(), "end " + n);
    for (size_t i = 1; i + 1 < calls.size(); ++i) {
        EXPECT_EQ(calls[i].rfind("perform " + n + " ", 0), 0u) << calls[i];
    }
}

int ProgramNamed(PluginInstance& p, const std::string& name) {
    for (int i = 0; i < p.NumPrograms(); ++i) {
        if (p.ProgramName(i) == name) return i;
    }
    return -1;
}

// Both faces in turn in the same host window (windows that overlap cannot be
// read back apart), at the defaults and at a program that moves every control.
TEST_F(EditorViewTest, FaceEqualsTheVst2Face) {
    std::string error;
    auto vst2 = HostedVst2::Load(TAV_VST2_MODULE, HostSettings(), &error);
    ASSERT_TRUE(vst2) << error;
    vst2->Start();
    for (const char* program : {"", "Psy Asymetric"}) {
        SCOPED_TRACE(program);
        if (program[0] != '\0') {
            ASSERT_GE(ProgramNamed(*plugin, program), 0);
            plugin->SetProgram(ProgramNamed(*plugin, program));
            vst2->SetProgram(ProgramNamed(*vst2, program));
        }
        ASSERT_TRUE(window->WaitTicks(2));
        const RgbImage face3 = Shot();
        window->CloseEditor();
        ASSERT_TRUE(window->OpenEditor(*vst2, &error)) << error;
        ASSERT_TRUE(window->WaitTicks(2));
        const RgbImage face2 = Shot();
        window->CloseEditor();
        ASSERT_TRUE(window->OpenEditor(*plugin, &error)) << error;
        EXPECT_EQ(CountDiffering(face3, face2, {0, 0, kEditorWidth, kEditorHeight}), 0);
    }
}

TEST_F(EditorViewTest, DragWheelAndTypedValueAreGesturesAtTheHandler) {
    const KnobPlacement& knob = kKnobPlacements[2];  // the left depth
    const auto fresh = [] {
        window->WaitTicks(12);  // past the double-click time and any wheel gesture
        plugin->Handler().Clear();
    };
    window->MouseDown(knob.centreX, knob.centreY);
    for (int i = 1; i <= 10; ++i) window->MouseMove(knob.centreX, knob.centreY - 10 * i);
    window->MouseUp(knob.centreX, knob.centreY - 100);
    ExpectOneGesture(CallsUntilEnd(), knob.paramIndex);

    fresh();
    window->Wheel(knob.centreX, knob.centreY, 3);
    ExpectOneGesture(CallsUntilEnd(), knob.paramIndex);

    fresh();
    const RgbImage idle = Shot();
    window->MouseDown(knob.centreX, knob.centreY, {}, true);  // the value box
    window->MouseUp(knob.centreX, knob.centreY, {}, true);
    const PixelRect box{knob.centreX - 30, knob.centreY - 10, knob.centreX + 30, knob.centreY + 10};
    ASSERT_TRUE(
        window->PumpUntil([&] { return CountDiffering(Shot(), idle, box) > 0; }, kTimeoutMs));
    window->WaitTicks(2);
    plugin->Handler().Clear();  // the click that opened the box was a gesture of its own
    window->PressKey('8');
    window->PressKey('0');
    window->PressKey(0x0D);
    CallsUntilEnd();
    window->WaitTicks(4);  // nothing may follow the end of the gesture
    ExpectOneGesture(plugin->Handler().Calls(), knob.paramIndex);
    EXPECT_EQ(plugin->ParamDisplay(knob.paramIndex), "80");
}

TEST_F(EditorViewTest, ValuesTheHostSetsShowOnTheFace) {
    const KnobPlacement& knob = kKnobPlacements[3];
    const RgbImage before = Shot();
    ASSERT_EQ(plugin->Controller()->setParamNormalized(knob.paramIndex, 1.0), vst3::kResultOk);
    ASSERT_TRUE(window->WaitTicks(2));
    const RgbImage after = Shot();
    EXPECT_GT(CountDiffering(after, before, KnobStrip(knob)), 20);
    EXPECT_GT(CountDiffering(after, before, KnobRegion(knob)), 40);
    // A program the host chooses reaches every control.
    plugin->SetProgram(ProgramNamed(*plugin, "Psy Asymetric"));
    ASSERT_TRUE(window->WaitTicks(2));
    EXPECT_GT(CountDiffering(Shot(), after, {0, 0, kEditorWidth, kEditorHeight}), 100);
}

// Sweep Sync from the face's menu: the host hears it as one gesture of its id
// (and hands it to the processor as any edit), the controller's value follows.
TEST_F(EditorViewTest, SweepSyncFromTheMenuIsAGestureAtTheHandler) {
    constexpr int kSweepSync = 1002;
    // The menu opens on the bare lower left corner, kept inside the face: 192 units
    // high from 143; Sweep Sync's options follow the scales.
    const auto pick = [](int option) {
        window->MouseDown(10, 320, {}, true);
        window->MouseUp(10, 320, {}, true);
        window->WaitTicks(2);
        window->Click(50, 143 + 86 + 20 * option + 10);
    };
    for (const int option : {1, 0}) {
        SCOPED_TRACE(option);
        window->WaitTicks(12);  // past the double-click time
        plugin->Handler().Clear();
        pick(option);
        ExpectOneGesture(CallsUntilEnd(), kSweepSync);
        EXPECT_EQ(plugin->Handler().Calls().size(), 3u);
        EXPECT_EQ(plugin->Controller()->getParamNormalized(kSweepSync), option);
    }
}

// Notes each restartComponent: on which thread, and whether from inside a call
// of ours into the controller.
constexpr vst3::ParamID kProgramId = 1001;

class NoticeWatch final : public vst3host::HostObject<vst3::IComponentHandler> {
  public:
    vst3::tresult beginEdit(vst3::ParamID) override { return vst3::kResultOk; }
    vst3::tresult performEdit(vst3::ParamID, vst3::ParamValue) override { return vst3::kResultOk; }
    vst3::tresult endEdit(vst3::ParamID) override { return vst3::kResultOk; }
    vst3::tresult restartComponent(vst3::int32) override {
        std::lock_guard<std::mutex> lock(mutex_);
        notices_.push_back({std::this_thread::get_id(), inCall_.load()});
        return vst3::kResultOk;
    }

    // Chooses a program as a host does, marked as our call.
    void ChooseProgram(vst3::IEditController* controller, int program) {
        inCall_ = true;
        controller->setParamNormalized(kProgramId, program / 6.0);
        inCall_ = false;
    }
    struct Notice {
        std::thread::id thread;
        bool inCall;
    };
    std::vector<Notice> Notices() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return notices_;
    }

  private:
    mutable std::mutex mutex_;
    std::vector<Notice> notices_;
    std::atomic<bool> inCall_{false};
};

// Calls into the host's handler belong on its UI thread: the one that made the
// controller and pumps the face's window (Windows: its messages; Linux: the run
// loop the open view was lent), and never from inside the host's own call.
TEST_F(EditorViewTest, ProgramNoticeComesOnTheHostsUiThreadAfterItsCall) {
    NoticeWatch host;
    plugin->Controller()->setComponentHandler(&host);
    host.ChooseProgram(plugin->Controller(), 2);
    host.ChooseProgram(plugin->Controller(), 5);
    EXPECT_TRUE(window->PumpUntil([&] { return !host.Notices().empty(); }, kTimeoutMs));
    plugin->Controller()->setComponentHandler(&plugin->Handler());
    for (const auto& notice : host.Notices()) {
        EXPECT_EQ(notice.thread, std::this_thread::get_id());
        EXPECT_FALSE(notice.inCall);
    }
}

// A notice still waiting when the face closes is not lost with the host's loop.
TEST_F(EditorViewTest, ProgramNoticeWaitingAsTheFaceClosesStillComes) {
    NoticeWatch host;
    plugin->Controller()->setComponentHandler(&host);
    host.ChooseProgram(plugin->Controller(), 3);
    window->CloseEditor();
    EXPECT_TRUE(window->PumpUntil([&] { return !host.Notices().empty(); }, kTimeoutMs));
    plugin->Controller()->setComponentHandler(&plugin->Handler());
}

TEST_F(EditorViewTest, FiveHundredOpenCloseCyclesLeakNothing) {
    ExpectEditorCyclesLeakNothing(*window, *plugin, 500);
}

}  // namespace
}  // namespace tav::vst3test
