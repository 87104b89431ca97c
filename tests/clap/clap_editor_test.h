// The CLAP module's editor in a real window, as our host embeds it: natively an
// X11 window (driven by our host's timers and descriptor watching), under Wine
// a real HWND.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/editor_host_fixture.h"
#include "tests/support/editor_screen.h"

namespace tav::claptest {

inline constexpr char kClapModule[] = TAV_CLAP_MODULE;

// The module loaded once per suite with its editor open in one host window.
using ClapEditorTest = test::EditorHostFixture<HostedClap, kClapModule>;

}  // namespace tav::claptest
