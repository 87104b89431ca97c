// tavhost opens the editor of the VST 3 bundle, the CLAP module and the LV2 UI in a
// real X window (a private Xvfb server): the VST 2 module's face at every scale, and
// the face and the plug-in following each other both ways.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "effect/editor_layout.h"
#include "host/editor_window.h"
#include "host/plugin_instance.h"

namespace tav {
namespace {

constexpr int kTimeoutMs = 20000;
const std::string kVst2 = TAV_PRODUCT_MODULE_PATH;

struct Format {
    const char* tag;
    std::string module;
};
void PrintTo(const Format& format, std::ostream* out) {
    *out << format.tag;
}

class TavhostEditor : public ::testing::TestWithParam<Format> {
  protected:
    void SetUp() override {
        std::string error;
        window_ = EditorHostWindow::Create(&error);
        ASSERT_TRUE(window_) << error;
    }

    static std::unique_ptr<PluginInstance> Open(const std::string& module) {
        std::string error;
        std::unique_ptr<PluginInstance> plugin =
            OpenPlugin(module, HostSettings(), PluginUse(), &error);
        EXPECT_TRUE(plugin) << error;
        return plugin;
    }

    // What the open editor shows once it has painted what it was last told.
    RgbImage Shown() {
        RgbImage image;
        std::string error;
        EXPECT_TRUE(window_->WaitTicks(3));
        EXPECT_TRUE(window_->Capture(&image, &error)) << error;
        return image;
    }

    // The face of a plug-in set up so, opened at that scale and closed again.
    RgbImage Face(PluginInstance& plugin, double scale) {
        std::string error;
        EXPECT_TRUE(plugin.SetEditorScale(scale, &error)) << error;
        EXPECT_TRUE(window_->OpenEditor(plugin, &error)) << error;
        RgbImage image = Shown();
        window_->CloseEditor();
        return image;
    }

    std::unique_ptr<EditorHostWindow> window_;
};

bool SamePixels(const RgbImage& a, const RgbImage& b) {
    return a.width > 0 && a.width == b.width && a.height == b.height && a.rgb == b.rgb;
}

TEST_P(TavhostEditor, ShowsTheVst2ModulesFaceAtEveryScale) {
    for (const double scale : {1.0, 1.5, 2.0}) {
        SCOPED_TRACE(scale);
        std::unique_ptr<PluginInstance> vst2 = Open(kVst2), other = Open(GetParam().module);
        ASSERT_TRUE(vst2 && other);
        // A program away from the defaults: every value reaches the face.
        vst2->SetProgram(1);
        other->SetProgram(1);
        const RgbImage expected = Face(*vst2, scale), shown = Face(*other, scale);
        EXPECT_EQ(shown.width, expected.width);
        EXPECT_TRUE(SamePixels(shown, expected));
    }
}

TEST_P(TavhostEditor, TheFaceAndThePluginFollowEachOther) {
    std::unique_ptr<PluginInstance> plugin = Open(GetParam().module);
    ASSERT_TRUE(plugin);
    const int depth = plugin->FindParam("Left Depth");
    ASSERT_GE(depth, 0);
    std::string error;
    ASSERT_TRUE(window_->OpenEditor(*plugin, &error)) << error;
    Shown();

    // A wheel turn on the knob reaches the plug-in.
    const KnobPlacement& knob = kKnobPlacements[2];  // Left Depth
    ASSERT_EQ(knob.paramIndex, 2);
    const double before = plugin->ParamValue(depth);
    window_->Wheel(knob.centreX, knob.centreY, 3);
    EXPECT_TRUE(window_->PumpUntil([&] { return plugin->ParamValue(depth) > before; }, kTimeoutMs));

    // A value the host sets reaches the face: the VST 2 module's with that value.
    ASSERT_TRUE(plugin->SetParameterText(depth, "80"));
    const RgbImage shown = Shown();
    window_->CloseEditor();
    std::unique_ptr<PluginInstance> vst2 = Open(kVst2);
    ASSERT_TRUE(vst2->SetParameterText(vst2->FindParam("Left Depth"), "80"));
    EXPECT_TRUE(SamePixels(shown, Face(*vst2, 1.0)));
}

std::vector<Format> Formats() {
    std::vector<Format> formats = {{"Vst3", TAV_VST3_BUNDLE_PATH}, {"Clap", TAV_CLAP_MODULE_PATH}};
    const std::string lv2 = TAV_LV2_BUNDLE_PATH;
    if (!lv2.empty()) formats.push_back({"Lv2", lv2});
    return formats;
}

INSTANTIATE_TEST_SUITE_P(Formats, TavhostEditor, ::testing::ValuesIn(Formats()),
                         [](const auto& test) { return std::string(test.param.tag); });

}  // namespace
}  // namespace tav
