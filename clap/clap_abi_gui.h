// The CLAP gui, timer-support and posix-fd-support extensions (release 1.2),
// written from the interface's published facts, with their layouts pinned.
#pragma once

#include "clap/clap_abi.h"

namespace tav::clap {

inline constexpr const char* CLAP_WINDOW_API_WIN32 = "win32";
inline constexpr const char* CLAP_WINDOW_API_X11 = "x11";

struct clap_window {
    const char* api;
    union {
        void* cocoa;
        unsigned long x11;  // 8 bytes on Linux, 4 on Windows
        void* win32;
        void* ptr;
    };
};

struct clap_gui_resize_hints {
    bool can_resize_horizontally;
    bool can_resize_vertically;
    bool preserve_aspect_ratio;
    uint32_t aspect_ratio_width;
    uint32_t aspect_ratio_height;
};

struct clap_plugin_gui {
    bool (*is_api_supported)(const clap_plugin* plugin, const char* api, bool is_floating);
    bool (*get_preferred_api)(const clap_plugin* plugin, const char** api, bool* is_floating);
    bool (*create)(const clap_plugin* plugin, const char* api, bool is_floating);
    void (*destroy)(const clap_plugin* plugin);
    bool (*set_scale)(const clap_plugin* plugin, double scale);
    bool (*get_size)(const clap_plugin* plugin, uint32_t* width, uint32_t* height);
    bool (*can_resize)(const clap_plugin* plugin);
    bool (*get_resize_hints)(const clap_plugin* plugin, clap_gui_resize_hints* hints);
    bool (*adjust_size)(const clap_plugin* plugin, uint32_t* width, uint32_t* height);
    bool (*set_size)(const clap_plugin* plugin, uint32_t width, uint32_t height);
    bool (*set_parent)(const clap_plugin* plugin, const clap_window* window);
    bool (*set_transient)(const clap_plugin* plugin, const clap_window* window);
    void (*suggest_title)(const clap_plugin* plugin, const char* title);
    bool (*show)(const clap_plugin* plugin);
    bool (*hide)(const clap_plugin* plugin);
};

struct clap_host_gui {
    void (*resize_hints_changed)(const clap_host* host);
    bool (*request_resize)(const clap_host* host, uint32_t width, uint32_t height);
    bool (*request_show)(const clap_host* host);
    bool (*request_hide)(const clap_host* host);
    void (*closed)(const clap_host* host, bool was_destroyed);
};

struct clap_plugin_timer_support {
    void (*on_timer)(const clap_plugin* plugin, clap_id timer_id);
};

struct clap_host_timer_support {
    bool (*register_timer)(const clap_host* host, uint32_t period_ms, clap_id* timer_id);
    bool (*unregister_timer)(const clap_host* host, clap_id timer_id);
};

enum : uint32_t { CLAP_POSIX_FD_READ = 1, CLAP_POSIX_FD_WRITE = 2, CLAP_POSIX_FD_ERROR = 4 };

struct clap_plugin_posix_fd_support {
    void (*on_fd)(const clap_plugin* plugin, int fd, uint32_t flags);
};

struct clap_host_posix_fd_support {
    bool (*register_fd)(const clap_host* host, int fd, uint32_t flags);
    bool (*modify_fd)(const clap_host* host, int fd, uint32_t flags);
    bool (*unregister_fd)(const clap_host* host, int fd);
};

static_assert(sizeof(clap_window) == 16 && offsetof(clap_window, x11) == 8);
static_assert(sizeof(clap_gui_resize_hints) == 12 && alignof(clap_gui_resize_hints) == 4);
static_assert(offsetof(clap_gui_resize_hints, aspect_ratio_width) == 4);
static_assert(sizeof(clap_plugin_gui) == 120 && offsetof(clap_plugin_gui, set_parent) == 80);
static_assert(offsetof(clap_plugin_gui, hide) == 112);
static_assert(sizeof(clap_host_gui) == 40);
static_assert(sizeof(clap_plugin_timer_support) == 8 && sizeof(clap_host_timer_support) == 16);
static_assert(sizeof(clap_plugin_posix_fd_support) == 8);
static_assert(sizeof(clap_host_posix_fd_support) == 24);

}  // namespace tav::clap
