// Drags on the real editors of every format, in our host window, with a host that
// sends each value the editor sends straight back, stepped to the parameter's
// resolution as a host that stores values so does. The drag must not lose the
// movements smaller than a step: it ends where it ends in a host that does not
// echo.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "effect/editor_layout.h"
#include "host/editor_window.h"
#include "host/formats/hosted_clap.h"
#include "host/formats/hosted_vst2.h"
#include "host/formats/hosted_vst3.h"

namespace tav {
namespace {

constexpr int kTimeoutMs = 20000;
constexpr int kSettleMs = 200;
// Both parameters dragged here run over 100 whole steps.
constexpr double kSteps = 100.0;

// One format's plug-in with the host's side of the echo.
class EchoingHost {
  public:
    virtual ~EchoingHost() = default;
    virtual PluginInstance& Plugin() = 0;
    virtual void SetEcho(bool on) = 0;
    // After an event: waits up to waitMs for what the editor sent and, echoing,
    // sends it back.
    virtual void Answer(EditorHostWindow& window, int waitMs) = 0;
};

// Every audioMasterAutomate answered with setParameter.
class Vst2Host final : public EchoingHost {
  public:
    explicit Vst2Host(std::unique_ptr<HostedVst2> plugin) : plugin_(std::move(plugin)) {
        plugin_->Start();
    }
    PluginInstance& Plugin() override { return *plugin_; }
    void SetEcho(bool on) override {
        echo_ = on;
        plugin_->Requests().Clear();
        seen_ = 0;
    }
    void Answer(EditorHostWindow& window, int waitMs) override {
        window.PumpUntil([&] { return plugin_->Requests().Count(audioMasterAutomate) > seen_; },
                         waitMs);
        const auto entries = plugin_->Requests().Entries();
        int automates = 0;
        for (const HostRequest& r : entries) {
            if (r.opcode != audioMasterAutomate || ++automates <= seen_) continue;
            if (echo_) plugin_->SetParameter(r.index, std::round(r.opt * kSteps) / kSteps);
        }
        seen_ = automates;
    }

  private:
    std::unique_ptr<HostedVst2> plugin_;
    bool echo_ = false;
    int seen_ = 0;
};

// performEdit answered at once with setParamNormalized, as the host stores it.
class Vst3Host final : public EchoingHost, public vst3host::HostObject<vst3::IComponentHandler> {
  public:
    explicit Vst3Host(std::unique_ptr<HostedVst3> plugin) : plugin_(std::move(plugin)) {
        plugin_->Controller()->setComponentHandler(this);
    }
    ~Vst3Host() override { plugin_->Controller()->setComponentHandler(nullptr); }
    PluginInstance& Plugin() override { return *plugin_; }
    void SetEcho(bool on) override { echo_ = on; }
    void Answer(EditorHostWindow& window, int) override { window.WaitTicks(1); }

    vst3::tresult beginEdit(vst3::ParamID) override { return vst3::kResultOk; }
    vst3::tresult performEdit(vst3::ParamID id, vst3::ParamValue value) override {
        vst3::IEditController* c = plugin_->Controller();
        if (echo_)
            c->setParamNormalized(id, c->plainParamToNormalized(
                                          id, std::round(c->normalizedParamToPlain(id, value))));
        return vst3::kResultOk;
    }
    vst3::tresult endEdit(vst3::ParamID) override { return vst3::kResultOk; }
    vst3::tresult restartComponent(vst3::int32) override { return vst3::kResultOk; }

  private:
    std::unique_ptr<HostedVst3> plugin_;
    bool echo_ = false;
};

// Each value event of a flush answered with a value event in the next one.
class ClapHost final : public EchoingHost {
  public:
    explicit ClapHost(std::unique_ptr<HostedClap> plugin) : plugin_(std::move(plugin)) {
        const clap::clap_plugin* p = plugin_->Plugin();
        params_ = static_cast<const clap::clap_plugin_params*>(
            p->get_extension(p, clap::CLAP_EXT_PARAMS));
    }
    PluginInstance& Plugin() override { return *plugin_; }
    void SetEcho(bool on) override {
        echo_ = on;
        asked_ = plugin_->HostRecord().flushRequests;
    }
    void Answer(EditorHostWindow& window, int waitMs) override {
        window.PumpUntil([&] { return plugin_->HostRecord().flushRequests > asked_; }, waitMs);
        asked_ = plugin_->HostRecord().flushRequests;
        claphost::EventList out;
        params_->flush(plugin_->Plugin(), echoes_.Input(), out.Output());
        echoes_.Clear();
        for (uint32_t i = 0; i < out.Count(); ++i) {
            if (out.At(i)->type != clap::CLAP_EVENT_PARAM_VALUE) continue;
            const auto* v = reinterpret_cast<const clap::clap_event_param_value*>(out.At(i));
            if (echo_) echoes_.AddParam(0, v->param_id, std::round(v->value));
        }
    }

  private:
    std::unique_ptr<HostedClap> plugin_;
    const clap::clap_plugin_params* params_ = nullptr;
    claphost::EventList echoes_;
    bool echo_ = false;
    int asked_ = 0;
};

std::unique_ptr<EchoingHost> LoadHost(const std::string& format, std::string* error) {
    const HostSettings settings;
    if (format == "VST2") {
        if (auto p = HostedVst2::Load(TAV_VST2_MODULE, settings, error))
            return std::make_unique<Vst2Host>(std::move(p));
    } else if (format == "VST3") {
        if (auto p = HostedVst3::Load(TAV_VST3_BUNDLE, settings, error))
            return std::make_unique<Vst3Host>(std::move(p));
    } else if (auto p = HostedClap::Load(TAV_CLAP_MODULE, settings, error)) {
        return std::make_unique<ClapHost>(std::move(p));
    }
    return nullptr;
}

// The format's editor open in one host window for the whole suite.
class EchoDragTest : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        std::string error;
        host = LoadHost(GetParam(), &error);
        ASSERT_TRUE(host) << error;
        window = EditorHostWindow::Create(&error);
        ASSERT_TRUE(window) << error;
        ASSERT_TRUE(window->OpenEditor(host->Plugin(), &error)) << error;
        ASSERT_TRUE(window->WaitTicks(2));
    }
    void TearDown() override {
        if (window) window->CloseEditor();
        window.reset();
        host.reset();
    }

    // Drags the knob up by pixels in moves of step pixels from 30 %; the value
    // the host holds once the gesture ends.
    double Drag(const KnobPlacement& knob, int pixels, int step, MouseKeys keys, bool echo) {
        PluginInstance& plugin = host->Plugin();
        plugin.SetParamValue(knob.paramIndex, 0.3);
        window->WaitTicks(12);  // shown, and past the double-click time
        host->SetEcho(echo);
        window->MouseDown(knob.centreX, knob.centreY, keys);
        window->WaitTicks(1);
        for (int moved = step; moved <= pixels; moved += step) {
            window->MouseMove(knob.centreX, knob.centreY - moved, keys);
            host->Answer(*window, kTimeoutMs);
        }
        // The release sends no value; what is still owed goes back.
        window->MouseUp(knob.centreX, knob.centreY - pixels, keys);
        host->Answer(*window, kSettleMs);
        host->Answer(*window, kSettleMs);
        host->SetEcho(false);
        return plugin.ParamValue(knob.paramIndex);
    }

    std::unique_ptr<EchoingHost> host;
    std::unique_ptr<EditorHostWindow> window;
};

TEST_P(EchoDragTest, OnePixelMovesGoAsFarAsOneMoveWithoutEcho) {
    const struct {
        const char* what;
        int knob;
        int pixels;
        MouseKeys keys;
    } cases[] = {{"Right Depth, 50 px", 7, 50, {}},
                 {"Feedback, fine, 100 px", 1, 100, {true, false}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const KnobPlacement& knob = kKnobPlacements[c.knob];
        const double plain = Drag(knob, c.pixels, c.pixels, c.keys, false);
        EXPECT_GT(plain, 0.3 + 1.5 / kSteps) << "the drag moved the knob";
        const double echoed = Drag(knob, c.pixels, 1, c.keys, true);
        EXPECT_NEAR(echoed, plain, 0.6 / kSteps);
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, EchoDragTest, ::testing::Values("VST2", "VST3", "CLAP"));

}  // namespace
}  // namespace tav
