// The VST 3 bundle's face in a real window, as our host shows it: natively in an
// X11 window (the view driven by our run loop), under Wine in a real HWND.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/editor_window.h"
#include "host/formats/hosted_vst3.h"
#include "tests/support/editor_screen.h"

namespace tav::vst3test {

// Points the editor's user settings at folder, for instances made from now on
// (platform file: XDG_CONFIG_HOME, APPDATA), and the name of this platform's
// reference pictures ("linux", "windows"): their text comes from different rasterisers.
void PointSettingsAt(const std::string& folder);
extern const char* const kPlatformName;

// The bundle loaded once per suite with its face open in one host window.
class EditorViewTest : public ::testing::Test {
  protected:
    static constexpr int kTimeoutMs = 20000;

    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;

    static RgbImage Shot();
    // The handler's calls once the last one is an end of an edit (or the time is up).
    static std::vector<std::string> CallsUntilEnd();

    static inline HostedVst3* plugin = nullptr;
    static inline EditorHostWindow* window = nullptr;
};

}  // namespace tav::vst3test
