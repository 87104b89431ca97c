#pragma once

#include <gtest/gtest.h>

#include <string>

#include "tools/editor_window.h"
#include "tools/hosted_vst2.h"
#include "tools/png_file.h"

namespace tav::test {

// The product module loaded once per suite with its editor open in one host window,
// as a DAW holds it; each test starts at the first program with the editor painted.
// TAV_PRODUCT_MODULE_PATH names the module under test.
class EditorHostFixture : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        std::string error;
        plugin = HostedVst2::Load(TAV_PRODUCT_MODULE_PATH, HostSettings(), &error).release();
        ASSERT_NE(plugin, nullptr) << error;
        plugin->Start();
        window = EditorHostWindow::Create(&error).release();
        ASSERT_NE(window, nullptr) << error;
        ASSERT_TRUE(window->OpenEditor(*plugin, &error)) << error;
        ASSERT_TRUE(window->WaitTicks(2));
    }
    static void TearDownTestSuite() {
        delete window;
        window = nullptr;
        delete plugin;
        plugin = nullptr;
    }
    void SetUp() override {
        ASSERT_NE(window, nullptr);
        if (!window->IsEditorOpen()) {
            std::string error;
            ASSERT_TRUE(window->OpenEditor(*plugin, &error)) << error;
        }
        plugin->SetProgram(0);
        ASSERT_TRUE(window->WaitTicks(2));
        plugin->Requests().Clear();
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
        plugin->SetParameter(index, static_cast<float>(unit));
        ASSERT_TRUE(window->WaitTicks(2));
    }

    static inline HostedVst2* plugin = nullptr;
    static inline EditorHostWindow* window = nullptr;
};

}  // namespace tav::test
