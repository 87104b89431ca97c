#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "host/editor_window.h"
#include "host/formats/hosted_clap.h"
#include "host/formats/hosted_vst2.h"
#include "host/png_file.h"

namespace tav::test {

// How each format is loaded for its editor, as a DAW holds it.
inline std::unique_ptr<HostedVst2> LoadForEditor(HostedVst2*, const char* path,
                                                 std::string* error) {
    auto plugin = HostedVst2::Load(path, HostSettings(), error);
    if (plugin) plugin->Start();
    return plugin;
}
inline std::unique_ptr<HostedClap> LoadForEditor(HostedClap*, const char* path,
                                                 std::string* error) {
    return HostedClap::Load(path, HostSettings(), error);
}
// What the host forgets between tests.
inline void ForgetRequests(HostedVst2& plugin) {
    plugin.Requests().Clear();
}
inline void ForgetRequests(PluginInstance&) {}

// A module loaded once per suite with its editor open in one host window, as a
// DAW holds it; each test starts at the first program with the editor painted.
template <class Hosted, const char* kModulePath>
class EditorHostFixture : public ::testing::Test {
  protected:
    static constexpr int kTimeoutMs = 20000;

    static void SetUpTestSuite() {
        std::string error;
        plugin = LoadForEditor(static_cast<Hosted*>(nullptr), kModulePath, &error).release();
        ASSERT_NE(plugin, nullptr) << error;
        window = EditorHostWindow::Create(&error).release();
        ASSERT_NE(window, nullptr) << error;
    }
    static void TearDownTestSuite() {
        delete window;
        window = nullptr;
        delete plugin;
        plugin = nullptr;
    }
    void SetUp() override {
        ASSERT_NE(plugin, nullptr);
        ASSERT_NE(window, nullptr);
        if (!window->IsEditorOpen()) {
            std::string error;
            ASSERT_TRUE(window->OpenEditor(*plugin, &error)) << error;
        }
        plugin->SetProgram(0);
        ASSERT_TRUE(window->WaitTicks(2));
        ForgetRequests(*plugin);
    }

    // The editor as it is on screen, read back from its window.
    static RgbImage Shot() {
        RgbImage image;
        std::string error;
        EXPECT_TRUE(window->Capture(&image, &error)) << error;
        return image;
    }
    // Sets a parameter as the host does and waits for the editor to show it.
    static void HostSets(int index, double unit) {
        plugin->SetParamValue(index, unit);
        ASSERT_TRUE(window->WaitTicks(2));
    }

    static inline Hosted* plugin = nullptr;
    static inline EditorHostWindow* window = nullptr;
};

}  // namespace tav::test
