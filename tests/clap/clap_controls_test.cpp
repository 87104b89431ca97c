// remote-controls, param-indication and context-menu through the module's
// clap_entry, as a host calls them; what indications and the host's menu show
// on the face is in clap_editor_test.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "host/formats/hosted_clap.h"
#include "host/host_cli.h"

namespace tav {
namespace {

using namespace clap;
using Item = HostedClap::MenuItem;

std::unique_ptr<HostedClap> Load() {
    std::string error;
    auto plugin = HostedClap::Load(TAV_CLAP_MODULE, HostSettings(), &error);
    EXPECT_TRUE(plugin) << error;
    return plugin;
}

template <class T>
const T* ExtensionOf(HostedClap& plugin, const char* id) {
    return static_cast<const T*>(plugin.Plugin()->get_extension(plugin.Plugin(), id));
}

std::string NameOf(HostedClap& plugin, clap_id id) {
    if (id == CLAP_INVALID_ID) return "-";
    for (int i = 0; i < plugin.NumParams(); ++i) {
        if (plugin.ParamInfo(i).id == id) return plugin.ParamInfo(i).name;
    }
    return "unknown " + std::to_string(id);
}

TEST(ClapControls, PagesLayEachPanelOnEightKnobs) {
    auto plugin = Load();
    const struct {
        const char* section;
        const char* name;
        std::vector<std::string> knobs;
    } expected[] = {
        {"Global",
         "Main",
         {"Wet Left", "Wet Right", "Accent", "Filter Mirror", "Bypass Ceil", "Sweep Sync", "Glide",
          "-"}},
        {"Sides",
         "Left",
         {"Freq Left", "Left Depth", "Left Sweep Rate", "FBack Left", "Wet Left", "-", "-", "-"}},
        {"Sides",
         "Right",
         {"Freq Right", "Right Depth", "Right Sweep Rate", "FBack Right", "Wet Right", "-", "-",
          "-"}},
    };
    const std::vector<clap_remote_controls_page> pages = plugin->RemoteControlPages();
    ASSERT_EQ(pages.size(), std::size(expected));
    for (size_t p = 0; p < pages.size(); ++p) {
        SCOPED_TRACE(expected[p].name);
        EXPECT_STREQ(pages[p].section_name, expected[p].section);
        EXPECT_STREQ(pages[p].page_name, expected[p].name);
        EXPECT_EQ(pages[p].page_id, p);
        EXPECT_FALSE(pages[p].is_for_preset);
        for (uint32_t slot = 0; slot < CLAP_REMOTE_CONTROLS_COUNT; ++slot)
            EXPECT_EQ(NameOf(*plugin, pages[p].param_ids[slot]), expected[p].knobs[slot]) << slot;
    }
    // Both ids hosts ask by; past the last page, and without a page, nothing.
    const auto* controls =
        ExtensionOf<clap_plugin_remote_controls>(*plugin, CLAP_EXT_REMOTE_CONTROLS);
    ASSERT_NE(controls, nullptr);
    EXPECT_EQ(controls,
              ExtensionOf<clap_plugin_remote_controls>(*plugin, CLAP_EXT_REMOTE_CONTROLS_COMPAT));
    clap_remote_controls_page page = {};
    page.page_id = 77;
    for (const uint32_t bad : {3u, 0x7FFFFFFFu, 0xFFFFFFFFu})
        EXPECT_FALSE(controls->get(plugin->Plugin(), bad, &page)) << bad;
    EXPECT_EQ(page.page_id, 77u);
    EXPECT_FALSE(controls->get(plugin->Plugin(), 0, nullptr));
    EXPECT_FALSE(controls->get(nullptr, 0, &page));
    EXPECT_EQ(controls->count(nullptr), 0u);
}

// What a host's menu gets: each choice of the face's menu as a submenu of check
// entries, or flat where the host's builder has no submenus; the scales only
// work with a face open.
TEST(ClapControls, MenuOffersTheFacesChoicesForThePluginAndEachParameter) {
    auto plugin = Load();
    constexpr uint32_t kBegin = CLAP_CONTEXT_MENU_ITEM_BEGIN_SUBMENU;
    constexpr uint32_t kEnd = CLAP_CONTEXT_MENU_ITEM_END_SUBMENU;
    constexpr uint32_t kCheck = CLAP_CONTEXT_MENU_ITEM_CHECK_ENTRY;
    const std::vector<Item> nested = {
        {kBegin, "Scale", true, false, CLAP_INVALID_ID},
        {kCheck, "100 %", false, false, 0x100},
        {kCheck, "150 %", false, false, 0x101},
        {kCheck, "200 %", false, false, 0x102},
        {kEnd, "", false, false, CLAP_INVALID_ID},
        {kBegin, "Sweep Sync", true, false, CLAP_INVALID_ID},
        {kCheck, "Free", true, true, 0x200},
        {kCheck, "Song", true, false, 0x201},
        {kEnd, "", false, false, CLAP_INVALID_ID},
        {kBegin, "Glide", true, false, CLAP_INVALID_ID},
        {kCheck, "Off", true, false, 0x210},
        {kCheck, "On", true, true, 0x211},
        {kEnd, "", false, false, CLAP_INVALID_ID},
    };
    std::vector<Item> flat;
    for (const Item& item : nested) {
        if (item.kind != kCheck) continue;
        const char* heading = item.action < 0x200   ? "Scale"
                              : item.action < 0x210 ? "Sweep Sync"
                                                    : "Glide";
        flat.push_back({kCheck, std::string(heading) + ": " + item.label, item.enabled,
                        item.checked, item.action});
    }
    const clap_context_menu_target global{CLAP_CONTEXT_MENU_TARGET_KIND_GLOBAL, 0};
    const clap_context_menu_target depth{CLAP_CONTEXT_MENU_TARGET_KIND_PARAM, 2};
    const clap_context_menu_target glide{CLAP_CONTEXT_MENU_TARGET_KIND_PARAM, 1003};
    const struct {
        const clap_context_menu_target* target;
        bool submenus;
        const std::vector<Item>* items;
    } cases[] = {{nullptr, true, &nested},
                 {&global, true, &nested},
                 {&depth, true, &nested},
                 {&glide, true, &nested},
                 {&global, false, &flat}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target != nullptr ? c.target->id : 0xFFFF);
        std::vector<Item> items;
        ASSERT_TRUE(plugin->PluginMenu(c.target, &items, c.submenus));
        ASSERT_EQ(items.size(), c.items->size());
        for (size_t i = 0; i < items.size(); ++i) {
            const Item& want = (*c.items)[i];
            EXPECT_EQ(items[i].kind, want.kind) << i;
            EXPECT_EQ(items[i].label, want.label) << i;
            if (want.kind != kCheck) continue;
            EXPECT_EQ(items[i].enabled, want.enabled) << want.label;
            EXPECT_EQ(items[i].checked, want.checked) << want.label;
            EXPECT_EQ(items[i].action, want.action) << want.label;
        }
    }
    // Targets the plug-in has nothing for, and a host without a builder.
    const auto* menu = ExtensionOf<clap_plugin_context_menu>(*plugin, CLAP_EXT_CONTEXT_MENU);
    ASSERT_NE(menu, nullptr);
    std::vector<Item> items;
    for (const clap_context_menu_target bad :
         {clap_context_menu_target{CLAP_CONTEXT_MENU_TARGET_KIND_PARAM, 77},
          clap_context_menu_target{CLAP_CONTEXT_MENU_TARGET_KIND_PARAM, 1001},
          clap_context_menu_target{9, 0}}) {
        EXPECT_FALSE(plugin->PluginMenu(&bad, &items)) << bad.kind << " " << bad.id;
        EXPECT_FALSE(menu->perform(plugin->Plugin(), &bad, 0x210)) << bad.kind << " " << bad.id;
    }
    EXPECT_TRUE(items.empty());
    EXPECT_FALSE(menu->populate(plugin->Plugin(), &global, nullptr));
    EXPECT_FALSE(menu->populate(nullptr, &global, nullptr));
    EXPECT_FALSE(menu->perform(nullptr, &global, 0x210));
}

// An entry performed is the setting changed as the host sees it: the value it
// reads, and one gesture with the value in the next flush.
TEST(ClapControls, PerformingAnEntryChangesTheSettingForTheHost) {
    auto plugin = Load();
    const clap_plugin* p = plugin->Plugin();
    const auto* menu = ExtensionOf<clap_plugin_context_menu>(*plugin, CLAP_EXT_CONTEXT_MENU);
    const auto* params = ExtensionOf<clap_plugin_params>(*plugin, CLAP_EXT_PARAMS);
    ASSERT_NE(menu, nullptr);
    const clap_context_menu_target global{CLAP_CONTEXT_MENU_TARGET_KIND_GLOBAL, 0};
    const struct {
        clap_id action;
        bool done;
        clap_id changed;  // the parameter the host hears of; none for no change
        double value;
    } steps[] = {
        {0x210, true, 1003, 0.0},              // Glide Off
        {0x210, true, CLAP_INVALID_ID, 0.0},   // again: no change
        {0x201, true, 1002, 1.0},              // Sweep Sync Song
        {0x211, true, 1003, 1.0},              // Glide On
        {0x100, false, CLAP_INVALID_ID, 0.0},  // a scale, with no face to scale
        {0x103, false, CLAP_INVALID_ID, 0.0},  // no fourth scale
        {0x212, false, CLAP_INVALID_ID, 0.0},  // no third step
        {0x220, false, CLAP_INVALID_ID, 0.0},  // no third setting
        {0, false, CLAP_INVALID_ID, 0.0},
        {CLAP_INVALID_ID, false, CLAP_INVALID_ID, 0.0},
    };
    claphost::EventList none, out;
    for (const auto& s : steps) {
        SCOPED_TRACE(s.action);
        const int asked = plugin->HostRecord().flushRequests;
        EXPECT_EQ(menu->perform(p, &global, s.action), s.done);
        out.Clear();
        params->flush(p, none.Input(), out.Output());
        if (s.changed == CLAP_INVALID_ID) {
            EXPECT_EQ(out.Count(), 0u);
            continue;
        }
        EXPECT_GT(plugin->HostRecord().flushRequests, asked);
        ASSERT_EQ(out.Count(), 3u);
        const auto* value = reinterpret_cast<const clap_event_param_value*>(out.At(1));
        EXPECT_EQ(value->header.type, CLAP_EVENT_PARAM_VALUE);
        EXPECT_EQ(value->param_id, s.changed);
        EXPECT_EQ(value->value, s.value);
        double read = -1.0;
        ASSERT_TRUE(params->get_value(p, s.changed, &read));
        EXPECT_EQ(read, s.value);
    }
}

// Indications are the face's alone: calls for parameters without a knob, with
// nonsense or on no instance change nothing the host reads back.
TEST(ClapControls, IndicationsSurviveNonsense) {
    auto plugin = Load();
    const clap_plugin* p = plugin->Plugin();
    const auto* indication =
        ExtensionOf<clap_plugin_param_indication>(*plugin, CLAP_EXT_PARAM_INDICATION);
    ASSERT_NE(indication, nullptr);
    EXPECT_EQ(indication,
              ExtensionOf<clap_plugin_param_indication>(*plugin, CLAP_EXT_PARAM_INDICATION_COMPAT));
    const std::vector<uint8_t> before = plugin->SaveState(false);
    const clap_color red{255, 255, 0, 0};
    for (const clap_id id : {0u, 1000u, 1003u, 77u, CLAP_INVALID_ID}) {
        indication->set_mapping(p, id, true, &red, nullptr, nullptr);
        indication->set_mapping(p, id, true, nullptr, "label", "description");
        indication->set_automation(p, id, CLAP_PARAM_INDICATION_AUTOMATION_PLAYING, nullptr);
        indication->set_automation(p, id, 99, &red);
        indication->set_mapping(nullptr, id, true, &red, nullptr, nullptr);
        indication->set_automation(nullptr, id, CLAP_PARAM_INDICATION_AUTOMATION_PLAYING, &red);
    }
    // Never saved with the state.
    EXPECT_EQ(plugin->SaveState(false), before);
}

// tavhost's options for them: what each prints or refuses, with the exit status.
TEST(ClapControls, TavhostListsPagesAndMenusAndPerformsEntries) {
    const struct {
        std::vector<std::string> args;
        int status;
        std::vector<std::string> printed;  // in the output or, failing, the errors
    } runs[] = {
        {{"--remote-controls"},
         0,
         {"pages: 3", "page 1  Left (section Sides)", "3  Left Sweep Rate [3]", "8  -"}},
        {{"--menu", "Glide", "--menu-action", "528", "--params"},
         0,
         {"Glide                             Off", "menu for Glide", "[x] Off  (action 528)",
          "[ ] 100 %  (action 256, disabled)"}},
        {{"--menu", "plugin", "--menu-action", "513", "--params"},
         0,
         {"Sweep Sync                        Song", "menu for the plug-in",
          "[x] Song  (action 513)"}},
        {{"--map", "Left Depth=#40c8ff", "--automation", "Wet Left=playing:auto", "--automation",
          "2=none"},
         0,
         {}},
        {{"--menu-action", "999"}, 1, {"refused menu action 999"}},
        {{"--menu", "Nothing"}, 1, {"no parameter Nothing"}},
        {{"--map", "Nothing=#ffffff"}, 1, {"no parameter Nothing"}},
        {{"--map", "Left Depth=#12345"}, 2, {"--map wants"}},
        {{"--map", "Left Depth=blue"}, 2, {"--map wants"}},
        {{"--automation", "Left Depth=dancing"}, 2, {"--automation wants"}},
        {{"--automation", "Left Depth=playing:#ggffff"}, 2, {"--automation wants"}},
        {{"--menu-action", "-1"}, 2, {"bad --menu-action"}},
    };
    for (const auto& run : runs) {
        std::vector<std::string> args = {TAV_CLAP_MODULE};
        args.insert(args.end(), run.args.begin(), run.args.end());
        SCOPED_TRACE(run.args[0] + " " + (run.args.size() > 1 ? run.args[1] : ""));
        std::ostringstream out, err;
        EXPECT_EQ(HostMain(args, out, err), run.status) << err.str();
        const std::string text = run.status == 0 ? out.str() : err.str();
        for (const std::string& line : run.printed)
            EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;
    }
}

}  // namespace
}  // namespace tav
