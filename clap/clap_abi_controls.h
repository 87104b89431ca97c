// The CLAP remote-controls, param-indication and context-menu extensions
// (release 1.2), written from the interface's published facts, with their
// layouts pinned. Every call of theirs is the main thread's.
#pragma once

#include "clap/clap_abi.h"

namespace tav::clap {

inline constexpr const char* CLAP_EXT_REMOTE_CONTROLS = "clap.remote-controls/2";
inline constexpr const char* CLAP_EXT_REMOTE_CONTROLS_COMPAT = "clap.remote-controls.draft/2";
inline constexpr const char* CLAP_EXT_PARAM_INDICATION = "clap.param-indication/4";
inline constexpr const char* CLAP_EXT_PARAM_INDICATION_COMPAT = "clap.param-indication.draft/4";
inline constexpr const char* CLAP_EXT_CONTEXT_MENU = "clap.context-menu/1";
inline constexpr const char* CLAP_EXT_CONTEXT_MENU_COMPAT = "clap.context-menu.draft/0";

inline constexpr uint32_t CLAP_REMOTE_CONTROLS_COUNT = 8;

struct clap_remote_controls_page {
    char section_name[CLAP_NAME_SIZE];
    clap_id page_id;
    char page_name[CLAP_NAME_SIZE];
    clap_id param_ids[CLAP_REMOTE_CONTROLS_COUNT];
    bool is_for_preset;
};

struct clap_plugin_remote_controls {
    uint32_t (*count)(const clap_plugin* plugin);
    bool (*get)(const clap_plugin* plugin, uint32_t page_index, clap_remote_controls_page* page);
};

struct clap_host_remote_controls {
    void (*changed)(const clap_host* host);
    void (*suggest_page)(const clap_host* host, clap_id page_id);
};

struct clap_color {
    uint8_t alpha;
    uint8_t red;
    uint8_t green;
    uint8_t blue;
};

enum : uint32_t {
    CLAP_PARAM_INDICATION_AUTOMATION_NONE = 0,
    CLAP_PARAM_INDICATION_AUTOMATION_PRESENT = 1,
    CLAP_PARAM_INDICATION_AUTOMATION_PLAYING = 2,
    CLAP_PARAM_INDICATION_AUTOMATION_RECORDING = 3,
    CLAP_PARAM_INDICATION_AUTOMATION_OVERRIDING = 4,
};

struct clap_plugin_param_indication {
    void (*set_mapping)(const clap_plugin* plugin, clap_id param_id, bool has_mapping,
                        const clap_color* color, const char* label, const char* description);
    void (*set_automation)(const clap_plugin* plugin, clap_id param_id, uint32_t automation_state,
                           const clap_color* color);
};

enum : uint32_t {
    CLAP_CONTEXT_MENU_TARGET_KIND_GLOBAL = 0,
    CLAP_CONTEXT_MENU_TARGET_KIND_PARAM = 1
};

struct clap_context_menu_target {
    uint32_t kind;
    clap_id id;
};

enum : uint32_t {
    CLAP_CONTEXT_MENU_ITEM_ENTRY = 0,
    CLAP_CONTEXT_MENU_ITEM_CHECK_ENTRY = 1,
    CLAP_CONTEXT_MENU_ITEM_SEPARATOR = 2,
    CLAP_CONTEXT_MENU_ITEM_BEGIN_SUBMENU = 3,
    CLAP_CONTEXT_MENU_ITEM_END_SUBMENU = 4,
    CLAP_CONTEXT_MENU_ITEM_TITLE = 5,
};

struct clap_context_menu_entry {
    const char* label;
    bool is_enabled;
    clap_id action_id;
};

struct clap_context_menu_check_entry {
    const char* label;
    bool is_enabled;
    bool is_checked;
    clap_id action_id;
};

struct clap_context_menu_submenu {
    const char* label;
    bool is_enabled;
};

struct clap_context_menu_item_title {
    const char* title;
    bool is_enabled;
};

struct clap_context_menu_builder {
    void* ctx;
    bool (*add_item)(const clap_context_menu_builder* builder, uint32_t item_kind,
                     const void* item_data);
    bool (*supports)(const clap_context_menu_builder* builder, uint32_t item_kind);
};

struct clap_plugin_context_menu {
    bool (*populate)(const clap_plugin* plugin, const clap_context_menu_target* target,
                     const clap_context_menu_builder* builder);
    bool (*perform)(const clap_plugin* plugin, const clap_context_menu_target* target,
                    clap_id action_id);
};

struct clap_host_context_menu {
    bool (*populate)(const clap_host* host, const clap_context_menu_target* target,
                     const clap_context_menu_builder* builder);
    bool (*perform)(const clap_host* host, const clap_context_menu_target* target,
                    clap_id action_id);
    bool (*can_popup)(const clap_host* host);
    bool (*popup)(const clap_host* host, const clap_context_menu_target* target,
                  int32_t screen_index, int32_t x, int32_t y);
};

static_assert(sizeof(clap_remote_controls_page) == 552 && alignof(clap_remote_controls_page) == 4);
static_assert(offsetof(clap_remote_controls_page, page_id) == 256);
static_assert(offsetof(clap_remote_controls_page, page_name) == 260);
static_assert(offsetof(clap_remote_controls_page, param_ids) == 516);
static_assert(offsetof(clap_remote_controls_page, is_for_preset) == 548);
static_assert(sizeof(clap_plugin_remote_controls) == 16 && sizeof(clap_host_remote_controls) == 16);
static_assert(sizeof(clap_color) == 4);
static_assert(sizeof(clap_plugin_param_indication) == 16);
static_assert(offsetof(clap_plugin_param_indication, set_automation) == 8);
static_assert(sizeof(clap_context_menu_target) == 8 && offsetof(clap_context_menu_target, id) == 4);
static_assert(sizeof(clap_context_menu_entry) == 16);
static_assert(offsetof(clap_context_menu_entry, is_enabled) == 8);
static_assert(offsetof(clap_context_menu_entry, action_id) == 12);
static_assert(sizeof(clap_context_menu_check_entry) == 16);
static_assert(offsetof(clap_context_menu_check_entry, is_checked) == 9);
static_assert(offsetof(clap_context_menu_check_entry, action_id) == 12);
static_assert(sizeof(clap_context_menu_submenu) == 16 &&
              sizeof(clap_context_menu_item_title) == 16);
static_assert(sizeof(clap_context_menu_builder) == 24);
static_assert(offsetof(clap_context_menu_builder, supports) == 16);
static_assert(sizeof(clap_plugin_context_menu) == 16 && sizeof(clap_host_context_menu) == 32);
static_assert(offsetof(clap_host_context_menu, popup) == 24);

}  // namespace tav::clap
