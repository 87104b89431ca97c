// The face at 150 and 200 % in real windows, in both formats, as our host shows it:
// the pictures, input at the scaled places, and the scale menu with the host's resize.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "editor/editor_settings.h"
#include "effect/editor_layout.h"
#include "effect/phaser_params.h"
#include "host/formats/hosted_vst2.h"
#include "tests/vst3/editor_view_test.h"

namespace tav::vst3test {
namespace {

using test::CountDiffering;

constexpr int kTimeoutMs = 20000;
// As for the 100 % references: text rasterisers differ a little between versions.
constexpr int kChannelTolerance = 24;

int Scaled(int units, int percent) {
    return (units * percent + 50) / 100;
}

struct Format {
    const char* name;
    bool vst3;
};
constexpr Format kFormats[] = {{"VST 2", false}, {"VST 3", true}};

class ScaledEditorTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        folder = std::filesystem::temp_directory_path() /
                 ("tav-scaled-editor-" +
                  std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        PointSettingsAt(folder.string());
        std::string error;
        window = EditorHostWindow::Create(&error).release();
        ASSERT_NE(window, nullptr) << error;
    }
    static void TearDownTestSuite() {
        delete window;
        window = nullptr;
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    void TearDown() override {
        // The editor closes before its instance goes, whatever a failure left open.
        if (window != nullptr) {
            window->CloseEditor();
            window->acceptResize = true;
        }
        plugin.reset();
        std::error_code ignored;
        std::filesystem::remove(SettingsFile(), ignored);
    }
    static std::filesystem::path SettingsFile() {
        return folder / "Qorva" / "Tavrellion" / "editor.txt";
    }

    // A new instance in plugin, after the editor of the last one has closed.
    void Load(const Format& format) {
        window->CloseEditor();
        plugin.reset();
        std::string error;
        if (format.vst3) {
            plugin = HostedVst3::Load(TAV_VST3_BUNDLE, HostSettings(), &error);
        } else {
            auto vst2 = HostedVst2::Load(TAV_VST2_MODULE, HostSettings(), &error);
            if (vst2) vst2->Start();
            plugin = std::move(vst2);
        }
        ASSERT_NE(plugin, nullptr) << error;
    }
    // Opens the face with the screen's factor given by the host (none: 0), painted.
    void Open(double factor) {
        std::string error;
        if (factor > 0) {
            ASSERT_TRUE(plugin->SetEditorScale(factor, &error)) << error;
        }
        ASSERT_TRUE(window->OpenEditor(*plugin, &error)) << error;
        ASSERT_TRUE(window->WaitTicks(2));
    }
    static RgbImage Shot() {
        RgbImage image;
        std::string error;
        EXPECT_TRUE(window->Capture(&image, &error)) << error;
        return image;
    }
    // Pixels differing from this platform's reference picture of the defaults.
    static void ExpectReference(const RgbImage& shot, int percent) {
        const std::string name =
            "editor-" + std::to_string(percent) + "-" + std::string(kPlatformName);
        RgbImage reference;
        std::string error;
        const bool have =
            ReadPngFile(std::string(TAV_SOURCE_DIR) + "/tests/effect/data/" + name + ".png",
                        &reference, &error) &&
            reference.width == shot.width && reference.height == shot.height;
        const int differing = have
                                  ? CountDiffering(shot, reference, {0, 0, shot.width, shot.height},
                                                   kChannelTolerance)
                                  : -1;
        std::cout << name << ": " << differing << " pixels differ from the reference\n";
        // 200 pixels at 100 %, the same share of the larger face.
        if (!have || differing > 200 * percent * percent / 10000) {
            const std::string saved = std::string(TAV_BINARY_DIR) + "/" + name + ".new.png";
            WritePngFile(saved, shot, &error);
            ADD_FAILURE() << differing << " pixels differ; the new picture is " << saved;
        }
    }
    static void RightClick(int x, int y) {
        window->MouseDown(x, y, {}, true);
        window->MouseUp(x, y, {}, true);
    }
    // Opens the menu on the bare lower left corner of the face at percent and picks
    // the row of choice; true when the host was asked for a size.
    static bool PickFromMenu(int percent, int choice) {
        const int asked = window->ResizeRequests();
        RightClick(Scaled(10, percent), Scaled(320, percent));
        if (!window->WaitTicks(2)) return false;
        // The menu keeps inside the face: 192 units high (the scales, Sweep Sync, Glide)
        // from 143, rows of 20.
        const int row = 143 + 1 + 20 * choice + 10;
        window->Click(Scaled(45, percent), Scaled(row, percent));
        return window->PumpUntil([&] { return window->ResizeRequests() > asked; }, kTimeoutMs);
    }

    static inline EditorHostWindow* window = nullptr;
    static inline std::filesystem::path folder;
    std::unique_ptr<PluginInstance> plugin;
};

TEST_F(ScaledEditorTest, FacesMatchTheReferencesInBothFormats) {
    for (const int percent : {150, 200}) {
        for (const Format& format : kFormats) {
            SCOPED_TRACE(std::string(format.name) + " at " + std::to_string(percent));
            ASSERT_NO_FATAL_FAILURE(Load(format));
            ASSERT_NO_FATAL_FAILURE(Open(percent / 100.0));
            EXPECT_EQ(window->EditorWidth(), Scaled(kEditorWidth, percent));
            EXPECT_EQ(window->EditorHeight(), Scaled(kEditorHeight, percent));
            ExpectReference(Shot(), percent);
        }
    }
}

TEST_F(ScaledEditorTest, ClicksAndDragsLandAtTheScaledPlaces) {
    const KnobPlacement& knob = kKnobPlacements[0];
    for (const int percent : {150, 200}) {
        for (const Format& format : kFormats) {
            SCOPED_TRACE(std::string(format.name) + " at " + std::to_string(percent));
            ASSERT_NO_FATAL_FAILURE(Load(format));
            ASSERT_NO_FATAL_FAILURE(Open(percent / 100.0));
            // The lowest accent option, then the edge it shares with the middle one.
            window->Click(Scaled(260, percent), Scaled(200, percent));
            EXPECT_TRUE(window->PumpUntil([&] { return plugin->ParamValue(ParamAccent) == 1.0; },
                                          kTimeoutMs));
            window->Click(Scaled(260, percent), Scaled(164, percent));
            EXPECT_TRUE(window->PumpUntil([&] { return plugin->ParamValue(ParamAccent) == 0.5; },
                                          kTimeoutMs));
            // 284 editor units up crosses the knob's whole range.
            plugin->SetParamValue(knob.paramIndex, 0.0);
            const int x = Scaled(knob.centreX, percent), y = Scaled(knob.centreY, percent);
            const int travel = Scaled(284, percent);
            window->MouseDown(x, y);
            for (int i = 1; i <= 20; ++i) window->MouseMove(x, y - travel * i / 20);
            window->MouseUp(x, y - travel);
            EXPECT_TRUE(window->PumpUntil(
                [&] { return plugin->ParamValue(knob.paramIndex) > 0.998; }, kTimeoutMs))
                << plugin->ParamValue(knob.paramIndex);
        }
    }
}

// A refused resize changes nothing; an accepted one resizes the face and is
// remembered for the next editor that no host factor speaks for.
TEST_F(ScaledEditorTest, MenuAsksTheHostAndTheChoiceIsRemembered) {
    for (const Format& format : kFormats) {
        SCOPED_TRACE(format.name);
        ASSERT_NO_FATAL_FAILURE(Load(format));
        ASSERT_NO_FATAL_FAILURE(Open(0));
        ASSERT_EQ(window->EditorWidth(), kEditorWidth);

        window->acceptResize = false;
        ASSERT_TRUE(PickFromMenu(100, 2));
        ASSERT_TRUE(window->WaitTicks(2));
        int width = 0, height = 0;
        std::string error;
        ASSERT_TRUE(plugin->EditorSize(&width, &height, &error)) << error;
        EXPECT_EQ(width, kEditorWidth);
        EXPECT_EQ(window->EditorWidth(), kEditorWidth);
        EXPECT_EQ(Shot().width, kEditorWidth);
        EXPECT_EQ(ReadScaleSetting(SettingsFile()), 0) << "a refused scale is not kept";

        window->acceptResize = true;
        ASSERT_TRUE(PickFromMenu(100, 1));
        ASSERT_TRUE(window->WaitTicks(2));
        ASSERT_TRUE(plugin->EditorSize(&width, &height, &error)) << error;
        EXPECT_EQ(width, Scaled(kEditorWidth, 150));
        EXPECT_EQ(height, Scaled(kEditorHeight, 150));
        EXPECT_EQ(window->EditorWidth(), width);
        ExpectReference(Shot(), 150);
        EXPECT_EQ(ReadScaleSetting(SettingsFile()), 150);

        // A new instance with no word from the host opens at the remembered scale.
        ASSERT_NO_FATAL_FAILURE(Load(format));
        ASSERT_TRUE(plugin->EditorSize(&width, &height, &error)) << error;
        EXPECT_EQ(width, Scaled(kEditorWidth, 150));
        // A host's factor stands over it.
        ASSERT_NO_FATAL_FAILURE(Load(format));
        ASSERT_TRUE(plugin->SetEditorScale(1.0, &error)) << error;
        ASSERT_TRUE(plugin->EditorSize(&width, &height, &error)) << error;
        EXPECT_EQ(width, kEditorWidth);
        std::filesystem::remove(SettingsFile());
    }
}

}  // namespace
}  // namespace tav::vst3test
