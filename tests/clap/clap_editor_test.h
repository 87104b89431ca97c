// The CLAP module's editor in a real window, as our host embeds it: natively an
// X11 window (driven by our host's timers and descriptor watching), under Wine
// a real HWND.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/editor_screen.h"
#include "tools/editor_window.h"
#include "tools/hosted_clap.h"

namespace tav::claptest {

// The module loaded once per suite with its editor open in one host window.
class ClapEditorTest : public ::testing::Test {
  protected:
    static constexpr int kTimeoutMs = 20000;

    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    static RgbImage Shot();

    static inline HostedClap* plugin = nullptr;
    static inline EditorHostWindow* window = nullptr;
};

}  // namespace tav::claptest
