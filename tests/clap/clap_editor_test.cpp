#include "tests/clap/clap_editor_test.h"

#include <cmath>
#include <functional>
#include <vector>

#include "host/formats/hosted_vst2.h"
#include "tests/support/editor_cycles.h"

namespace tav::claptest {

using namespace tav::clap;
using namespace tav::test;

namespace {

// Both faces in turn in the same host window, at the defaults and at a program
// that moves every control.
TEST_F(ClapEditorTest, FaceEqualsTheVst2Face) {
    std::string error;
    auto vst2 = HostedVst2::Load(TAV_VST2_MODULE, HostSettings(), &error);
    ASSERT_TRUE(vst2) << error;
    vst2->Start();
    for (const int program : {0, 1}) {
        SCOPED_TRACE(program);
        plugin->SetProgram(program);
        vst2->SetProgram(program);
        ASSERT_TRUE(window->WaitTicks(2));
        const RgbImage clapFace = Shot();
        window->CloseEditor();
        ASSERT_TRUE(window->OpenEditor(*vst2, &error)) << error;
        ASSERT_TRUE(window->WaitTicks(2));
        const RgbImage vst2Face = Shot();
        window->CloseEditor();
        ASSERT_TRUE(window->OpenEditor(*plugin, &error)) << error;
        EXPECT_EQ(CountDiffering(clapFace, vst2Face, {0, 0, kEditorWidth, kEditorHeight}), 0);
    }
}

TEST_F(ClapEditorTest, ValuesTheHostSetsShowOnTheFace) {
    const KnobPlacement& knob = kKnobPlacements[3];
    const RgbImage before = Shot();
    plugin->SetParamValue(knob.paramIndex, 1.0);
    ASSERT_TRUE(window->WaitTicks(2));
    EXPECT_GT(CountDiffering(Shot(), before, KnobRegion(knob)), 40);
}

// Sweep Sync from the face's menu: the plug-in asks for a flush and hands the host
// the change as one gesture with its value; the parameter reads the new value.
TEST_F(ClapEditorTest, SweepSyncFromTheMenuReachesTheHostAsAGesture) {
    constexpr clap_id kSweepSync = 1002;
    const clap_plugin* p = plugin->Plugin();
    const auto* params =
        static_cast<const clap_plugin_params*>(p->get_extension(p, CLAP_EXT_PARAMS));
    claphost::EventList none, out;
    for (const double plain : {1.0, 0.0}) {
        SCOPED_TRACE(plain);
        window->WaitTicks(12);  // past the double-click time
        params->flush(p, none.Input(), out.Output());
        out.Clear();
        const int asked = plugin->HostRecord().flushRequests;
        // The menu opens on the bare lower left corner, kept inside the face: 192
        // units high from 143; Sweep Sync's options follow the scales.
        window->MouseDown(10, 320, {}, true);
        window->MouseUp(10, 320, {}, true);
        window->WaitTicks(2);
        window->Click(50, 143 + 86 + 20 * static_cast<int>(plain) + 10);
        ASSERT_TRUE(window->PumpUntil([&] { return plugin->HostRecord().flushRequests > asked; },
                                      kTimeoutMs));
        params->flush(p, none.Input(), out.Output());
        ASSERT_EQ(out.Count(), 3u);
        const uint16_t types[] = {CLAP_EVENT_PARAM_GESTURE_BEGIN, CLAP_EVENT_PARAM_VALUE,
                                  CLAP_EVENT_PARAM_GESTURE_END};
        for (uint32_t i = 0; i < 3; ++i) {
            EXPECT_EQ(out.At(i)->type, types[i]) << i;
            EXPECT_EQ(reinterpret_cast<const clap_event_param_gesture*>(out.At(i))->param_id,
                      kSweepSync);
        }
        EXPECT_EQ(reinterpret_cast<const clap_event_param_value*>(out.At(1))->value, plain);
        double value = -1.0;
        ASSERT_TRUE(params->get_value(p, kSweepSync, &value));
        EXPECT_EQ(value, plain);
    }
}

// The host's indications on a knob: each changes the knob's pixels and no others,
// and the knob is as before once the host clears it.
TEST_F(ClapEditorTest, IndicationsShowOnTheirKnobAndGoWhenCleared) {
    const KnobPlacement& knob = kKnobPlacements[2];
    const clap_plugin* p = plugin->Plugin();
    const auto* indication = static_cast<const clap_plugin_param_indication*>(
        p->get_extension(p, CLAP_EXT_PARAM_INDICATION));
    ASSERT_NE(indication, nullptr);
    const auto id = static_cast<clap_id>(knob.paramIndex);
    const clap_color blue{255, 64, 200, 255};
    const struct {
        const char* name;
        std::function<void()> show, clear;
        int atLeast;  // pixels changed
    } cases[] = {
        {"mapped", [&] { indication->set_mapping(p, id, true, &blue, "K1", nullptr); },
         [&] { indication->set_mapping(p, id, false, nullptr, nullptr, nullptr); }, 200},
        {"mapped, the plug-in's colour",
         [&] { indication->set_mapping(p, id, true, nullptr, nullptr, nullptr); },
         [&] { indication->set_mapping(p, id, false, &blue, nullptr, nullptr); }, 200},
        {"automation playing",
         [&] {
             indication->set_automation(p, id, CLAP_PARAM_INDICATION_AUTOMATION_PLAYING, &blue);
         },
         [&] { indication->set_automation(p, id, CLAP_PARAM_INDICATION_AUTOMATION_NONE, &blue); },
         12},
        {"automation present",
         [&] {
             indication->set_automation(p, id, CLAP_PARAM_INDICATION_AUTOMATION_PRESENT, &blue);
         },
         [&] { indication->set_automation(p, id, CLAP_PARAM_INDICATION_AUTOMATION_NONE, nullptr); },
         8},
    };
    const RgbImage before = Shot();
    const PixelRect face{0, 0, kEditorWidth, kEditorHeight};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.show();
        ASSERT_TRUE(window->WaitTicks(2));
        const RgbImage shown = Shot();
        EXPECT_GE(CountDiffering(shown, before, KnobRegion(knob)), c.atLeast);
        EXPECT_EQ(CountDiffering(shown, before, face),
                  CountDiffering(shown, before, KnobRegion(knob)));
        c.clear();
        ASSERT_TRUE(window->WaitTicks(2));
        EXPECT_EQ(CountDiffering(Shot(), before, face), 0);
    }
}

// Set while no face is open, the indication shows on the face opened later.
TEST_F(ClapEditorTest, AnIndicationWaitsForTheFace) {
    const KnobPlacement& knob = kKnobPlacements[7];
    const clap_plugin* p = plugin->Plugin();
    const auto* indication = static_cast<const clap_plugin_param_indication*>(
        p->get_extension(p, CLAP_EXT_PARAM_INDICATION));
    const RgbImage before = Shot();
    window->CloseEditor();
    const auto id = static_cast<clap_id>(knob.paramIndex);
    indication->set_automation(p, id, CLAP_PARAM_INDICATION_AUTOMATION_RECORDING, nullptr);
    std::string error;
    ASSERT_TRUE(window->OpenEditor(*plugin, &error)) << error;
    ASSERT_TRUE(window->WaitTicks(2));
    EXPECT_GE(CountDiffering(Shot(), before, KnobRegion(knob)), 12);
    indication->set_automation(p, id, CLAP_PARAM_INDICATION_AUTOMATION_NONE, nullptr);
    ASSERT_TRUE(window->WaitTicks(2));
    EXPECT_EQ(CountDiffering(Shot(), before, KnobRegion(knob)), 0);
}

// A host with a context menu of its own: its title and entries follow the face's
// choices in the face's menu, and picking an entry has the host perform it.
TEST_F(ClapEditorTest, TheHostsMenuEntriesFollowTheFacesChoices) {
    window->CloseEditor();
    plugin->HostRecord().menuEntries = {{"Learn Controller", 41}, {"Show Automation", 42}};
    std::string error;
    ASSERT_TRUE(window->OpenEditor(*plugin, &error)) << error;
    window->WaitTicks(12);  // past the double-click time
    const RgbImage before = Shot();
    // The menu, 257 units high with the title and two entries, is kept inside the
    // face: from 78; the host's rows start 196 units down, below a gap.
    window->MouseDown(10, 320, {}, true);
    window->MouseUp(10, 320, {}, true);
    ASSERT_TRUE(window->WaitTicks(2));
    const RgbImage open = Shot();
    for (int row = 0; row < 3; ++row) {
        const PixelRect text{30, 78 + 196 + 20 * row + 4, 140, 78 + 196 + 20 * row + 16};
        EXPECT_GT(CountDiffering(open, before, text), 20) << row;
    }
    window->Click(60, 78 + 196 + 2 * 20 + 10);
    ASSERT_TRUE(
        window->PumpUntil([&] { return !plugin->HostRecord().menuPerformed.empty(); }, kTimeoutMs));
    EXPECT_EQ(plugin->HostRecord().menuPerformed, std::vector<clap_id>{42});
    // The title takes no click.
    window->WaitTicks(12);
    window->MouseDown(10, 320, {}, true);
    window->MouseUp(10, 320, {}, true);
    window->WaitTicks(2);
    window->Click(60, 78 + 196 + 10);
    window->WaitTicks(2);
    EXPECT_EQ(plugin->HostRecord().menuPerformed.size(), 1u);
    plugin->HostRecord().menuEntries.clear();
    plugin->HostRecord().menuPerformed.clear();
    window->CloseEditor();
}

// With a face open, the scales in the host's menu work and the current one is checked.
TEST_F(ClapEditorTest, TheScalesInTheHostsMenuScaleAnOpenFace) {
    const clap_plugin* p = plugin->Plugin();
    const auto* menu =
        static_cast<const clap_plugin_context_menu*>(p->get_extension(p, CLAP_EXT_CONTEXT_MENU));
    const auto* gui = static_cast<const clap_plugin_gui*>(p->get_extension(p, CLAP_EXT_GUI));
    ASSERT_NE(menu, nullptr);
    const clap_context_menu_target global{CLAP_CONTEXT_MENU_TARGET_KIND_GLOBAL, 0};
    for (const auto& [action, width] : {std::pair{0x101u, 780u}, {0x100u, 520u}}) {
        SCOPED_TRACE(action);
        EXPECT_TRUE(menu->perform(p, &global, action));
        uint32_t w = 0, h = 0;
        ASSERT_TRUE(gui->get_size(p, &w, &h));
        EXPECT_EQ(w, width);
        std::vector<HostedClap::MenuItem> items;
        ASSERT_TRUE(plugin->PluginMenu(&global, &items));
        ASSERT_GE(items.size(), 4u);
        for (int i = 1; i <= 3; ++i) {
            EXPECT_TRUE(items[i].enabled) << i;
            EXPECT_EQ(items[i].checked, items[i].action == action) << i;
        }
    }
    window->CloseEditor();
}

TEST_F(ClapEditorTest, NonsenseIsRefusedAndTheSizeIsFixed) {
    window->CloseEditor();
    const clap_plugin* p = plugin->Plugin();
    const auto* gui = static_cast<const clap_plugin_gui*>(p->get_extension(p, CLAP_EXT_GUI));
    ASSERT_NE(gui, nullptr);
    uint32_t w = 0, h = 0;
    const char* api = nullptr;
    bool floating = true;
    ASSERT_TRUE(gui->get_preferred_api(p, &api, &floating));
    EXPECT_FALSE(floating);
    EXPECT_FALSE(gui->get_size(p, &w, &h));  // only after create
    EXPECT_FALSE(gui->is_api_supported(p, api, true));
    EXPECT_FALSE(gui->is_api_supported(p, "cocoa", false));
    EXPECT_FALSE(gui->is_api_supported(p, nullptr, false));
    EXPECT_FALSE(gui->create(p, api, true));
    ASSERT_TRUE(gui->create(p, api, false));
    EXPECT_FALSE(gui->create(p, api, false));
    // Host scales round to the nearest face; nonsense leaves the face as it is.
    const struct {
        double scale;
        bool taken;
        uint32_t width;
    } scales[] = {{2.0, true, 1040},  {1.4, true, 780},         {0.0, false, 780},
                  {-1.0, false, 780}, {NAN, false, 780},        {1e9, false, 780},
                  {2.2, true, 1040},  {1.0, true, kEditorWidth}};
    for (const auto& c : scales) {
        EXPECT_EQ(gui->set_scale(p, c.scale), c.taken) << c.scale;
        ASSERT_TRUE(gui->get_size(p, &w, &h));
        EXPECT_EQ(w, c.width) << c.scale;
    }
    EXPECT_EQ(w, static_cast<uint32_t>(kEditorWidth));
    EXPECT_EQ(h, static_cast<uint32_t>(kEditorHeight));
    EXPECT_FALSE(gui->can_resize(p));
    EXPECT_FALSE(gui->set_size(p, w + 1, h));
    EXPECT_TRUE(gui->set_size(p, w, h));
    uint32_t askW = 100, askH = 900;
    EXPECT_TRUE(gui->adjust_size(p, &askW, &askH));
    EXPECT_EQ(askW, w);
    EXPECT_EQ(askH, h);
    clap_window none = {api, {nullptr}};
    clap_window wrong = {"cocoa", {nullptr}};
    wrong.ptr = window;  // any non-null handle: the api is what is wrong
    EXPECT_FALSE(gui->set_parent(p, nullptr));
    EXPECT_FALSE(gui->set_parent(p, &none));
    EXPECT_FALSE(gui->set_parent(p, &wrong));
    EXPECT_FALSE(gui->set_transient(p, &none));
    gui->destroy(p);
    gui->destroy(p);
    EXPECT_FALSE(gui->get_size(p, &w, &h));
}

TEST_F(ClapEditorTest, FiveHundredCreateDestroyCyclesLeakNothing) {
    ExpectEditorCyclesLeakNothing(*window, *plugin, 500);
}

}  // namespace
}  // namespace tav::claptest
