// The CLAP interface (release 1.2) as far as this plug-in and our host use it:
// plain C structs, written here from the interface's published facts. The
// static_asserts pin every size and offset we rely on, for both targets.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tav::clap {

using clap_id = uint32_t;
inline constexpr clap_id CLAP_INVALID_ID = 0xFFFFFFFFu;
inline constexpr uint32_t CLAP_NAME_SIZE = 256;
inline constexpr uint32_t CLAP_PATH_SIZE = 1024;
inline constexpr double CLAP_BEATTIME_FACTOR = 2147483648.0;
inline constexpr double CLAP_SECTIME_FACTOR = 2147483648.0;

struct clap_version {
    uint32_t major;
    uint32_t minor;
    uint32_t revision;
};
// Members named clap_version need the type under another name in C++.
using clap_version_t = clap_version;
inline constexpr clap_version CLAP_VERSION = {1, 2, 10};
constexpr bool clap_version_is_compatible(const clap_version& v) {
    return v.major >= 1;
}

struct clap_host;
struct clap_plugin;
struct clap_process;

struct clap_plugin_entry {
    clap_version_t clap_version;
    bool (*init)(const char* plugin_path);
    void (*deinit)();
    const void* (*get_factory)(const char* factory_id);
};

inline constexpr const char* CLAP_PLUGIN_FACTORY_ID = "clap.plugin-factory";

struct clap_plugin_descriptor {
    clap_version_t clap_version;
    const char* id;
    const char* name;
    const char* vendor;
    const char* url;
    const char* manual_url;
    const char* support_url;
    const char* version;
    const char* description;
    const char* const* features;
};

struct clap_plugin_factory {
    uint32_t (*get_plugin_count)(const clap_plugin_factory* factory);
    const clap_plugin_descriptor* (*get_plugin_descriptor)(const clap_plugin_factory* factory,
                                                           uint32_t index);
    const clap_plugin* (*create_plugin)(const clap_plugin_factory* factory, const clap_host* host,
                                        const char* plugin_id);
};

struct clap_plugin {
    const clap_plugin_descriptor* desc;
    void* plugin_data;
    bool (*init)(const clap_plugin* plugin);
    void (*destroy)(const clap_plugin* plugin);
    bool (*activate)(const clap_plugin* plugin, double sample_rate, uint32_t min_frames_count,
                     uint32_t max_frames_count);
    void (*deactivate)(const clap_plugin* plugin);
    bool (*start_processing)(const clap_plugin* plugin);
    void (*stop_processing)(const clap_plugin* plugin);
    void (*reset)(const clap_plugin* plugin);
    int32_t (*process)(const clap_plugin* plugin, const clap_process* process);
    const void* (*get_extension)(const clap_plugin* plugin, const char* id);
    void (*on_main_thread)(const clap_plugin* plugin);
};

struct clap_host {
    clap_version_t clap_version;
    void* host_data;
    const char* name;
    const char* vendor;
    const char* url;
    const char* version;
    const void* (*get_extension)(const clap_host* host, const char* extension_id);
    void (*request_restart)(const clap_host* host);
    void (*request_process)(const clap_host* host);
    void (*request_callback)(const clap_host* host);
};

// Processing.
enum : int32_t {
    CLAP_PROCESS_ERROR = 0,
    CLAP_PROCESS_CONTINUE = 1,
    CLAP_PROCESS_CONTINUE_IF_NOT_QUIET = 2,
    CLAP_PROCESS_TAIL = 3,
    CLAP_PROCESS_SLEEP = 4,
};

struct clap_event_header {
    uint32_t size;
    uint32_t time;
    uint16_t space_id;
    uint16_t type;
    uint32_t flags;
};
inline constexpr uint16_t CLAP_CORE_EVENT_SPACE_ID = 0;
enum : uint32_t { CLAP_EVENT_IS_LIVE = 1, CLAP_EVENT_DONT_RECORD = 2 };
enum : uint16_t {
    CLAP_EVENT_NOTE_ON = 0,
    CLAP_EVENT_PARAM_VALUE = 5,
    CLAP_EVENT_PARAM_MOD = 6,
    CLAP_EVENT_PARAM_GESTURE_BEGIN = 7,
    CLAP_EVENT_PARAM_GESTURE_END = 8,
    CLAP_EVENT_TRANSPORT = 9,
    CLAP_EVENT_MIDI = 10,
};

struct clap_event_param_value {
    clap_event_header header;
    clap_id param_id;
    void* cookie;
    int32_t note_id;
    int16_t port_index;
    int16_t channel;
    int16_t key;
    double value;
};

struct clap_event_param_gesture {
    clap_event_header header;
    clap_id param_id;
};

enum : uint32_t {
    CLAP_TRANSPORT_HAS_TEMPO = 1,
    CLAP_TRANSPORT_HAS_BEATS_TIMELINE = 2,
    CLAP_TRANSPORT_HAS_SECONDS_TIMELINE = 4,
    CLAP_TRANSPORT_HAS_TIME_SIGNATURE = 8,
    CLAP_TRANSPORT_IS_PLAYING = 16,
};

struct clap_event_transport {
    clap_event_header header;
    uint32_t flags;
    int64_t song_pos_beats;
    int64_t song_pos_seconds;
    double tempo;
    double tempo_inc;
    int64_t loop_start_beats;
    int64_t loop_end_beats;
    int64_t loop_start_seconds;
    int64_t loop_end_seconds;
    int64_t bar_start;
    int32_t bar_number;
    uint16_t tsig_num;
    uint16_t tsig_denom;
};

struct clap_input_events {
    void* ctx;
    uint32_t (*size)(const clap_input_events* list);
    const clap_event_header* (*get)(const clap_input_events* list, uint32_t index);
};

struct clap_output_events {
    void* ctx;
    bool (*try_push)(const clap_output_events* list, const clap_event_header* event);
};

struct clap_audio_buffer {
    float** data32;
    double** data64;
    uint32_t channel_count;
    uint32_t latency;
    uint64_t constant_mask;
};

struct clap_process {
    int64_t steady_time;
    uint32_t frames_count;
    const clap_event_transport* transport;
    const clap_audio_buffer* audio_inputs;
    clap_audio_buffer* audio_outputs;
    uint32_t audio_inputs_count;
    uint32_t audio_outputs_count;
    const clap_input_events* in_events;
    const clap_output_events* out_events;
};

// Extensions: ids, then the plug-in's and the host's structs.
inline constexpr const char* CLAP_EXT_AUDIO_PORTS = "clap.audio-ports";
inline constexpr const char* CLAP_EXT_PARAMS = "clap.params";
inline constexpr const char* CLAP_EXT_STATE = "clap.state";
inline constexpr const char* CLAP_EXT_GUI = "clap.gui";
inline constexpr const char* CLAP_EXT_TIMER_SUPPORT = "clap.timer-support";
inline constexpr const char* CLAP_EXT_POSIX_FD_SUPPORT = "clap.posix-fd-support";
inline constexpr const char* CLAP_EXT_LATENCY = "clap.latency";
inline constexpr const char* CLAP_EXT_TAIL = "clap.tail";
inline constexpr const char* CLAP_EXT_RENDER = "clap.render";
inline constexpr const char* CLAP_EXT_LOG = "clap.log";
inline constexpr const char* CLAP_EXT_PRESET_LOAD = "clap.preset-load/2";
inline constexpr const char* CLAP_EXT_PRESET_LOAD_COMPAT = "clap.preset-load.draft/2";

enum : uint32_t {
    CLAP_AUDIO_PORT_IS_MAIN = 1,
    CLAP_AUDIO_PORT_SUPPORTS_64BITS = 2,
    CLAP_AUDIO_PORT_PREFERS_64BITS = 4,
    CLAP_AUDIO_PORT_REQUIRES_COMMON_SAMPLE_SIZE = 8,
};
inline constexpr const char* CLAP_PORT_STEREO = "stereo";

struct clap_audio_port_info {
    clap_id id;
    char name[CLAP_NAME_SIZE];
    uint32_t flags;
    uint32_t channel_count;
    const char* port_type;
    clap_id in_place_pair;
};

struct clap_plugin_audio_ports {
    uint32_t (*count)(const clap_plugin* plugin, bool is_input);
    bool (*get)(const clap_plugin* plugin, uint32_t index, bool is_input,
                clap_audio_port_info* info);
};

enum : uint32_t {
    CLAP_PARAM_IS_STEPPED = 1,
    CLAP_PARAM_IS_PERIODIC = 2,
    CLAP_PARAM_IS_HIDDEN = 4,
    CLAP_PARAM_IS_READONLY = 8,
    CLAP_PARAM_IS_BYPASS = 16,
    CLAP_PARAM_IS_AUTOMATABLE = 32,
    CLAP_PARAM_IS_MODULATABLE = 1024,
    CLAP_PARAM_REQUIRES_PROCESS = 32768,
    CLAP_PARAM_IS_ENUM = 65536,
};
enum : uint32_t { CLAP_PARAM_RESCAN_VALUES = 1, CLAP_PARAM_RESCAN_TEXT = 2 };

struct clap_param_info {
    clap_id id;
    uint32_t flags;
    void* cookie;
    char name[CLAP_NAME_SIZE];
    char module[CLAP_PATH_SIZE];
    double min_value;
    double max_value;
    double default_value;
};

struct clap_plugin_params {
    uint32_t (*count)(const clap_plugin* plugin);
    bool (*get_info)(const clap_plugin* plugin, uint32_t param_index, clap_param_info* info);
    bool (*get_value)(const clap_plugin* plugin, clap_id param_id, double* out_value);
    bool (*value_to_text)(const clap_plugin* plugin, clap_id param_id, double value,
                          char* out_buffer, uint32_t out_buffer_capacity);
    bool (*text_to_value)(const clap_plugin* plugin, clap_id param_id, const char* text,
                          double* out_value);
    void (*flush)(const clap_plugin* plugin, const clap_input_events* in,
                  const clap_output_events* out);
};

struct clap_host_params {
    void (*rescan)(const clap_host* host, uint32_t flags);
    void (*clear)(const clap_host* host, clap_id param_id, uint32_t flags);
    void (*request_flush)(const clap_host* host);
};

struct clap_istream {
    void* ctx;
    int64_t (*read)(const clap_istream* stream, void* buffer, uint64_t size);
};

struct clap_ostream {
    void* ctx;
    int64_t (*write)(const clap_ostream* stream, const void* buffer, uint64_t size);
};

struct clap_plugin_state {
    bool (*save)(const clap_plugin* plugin, const clap_ostream* stream);
    bool (*load)(const clap_plugin* plugin, const clap_istream* stream);
};

struct clap_host_state {
    void (*mark_dirty)(const clap_host* host);
};

struct clap_plugin_latency {
    uint32_t (*get)(const clap_plugin* plugin);
};

struct clap_plugin_tail {
    uint32_t (*get)(const clap_plugin* plugin);
};

struct clap_host_tail {
    void (*changed)(const clap_host* host);
};

enum : int32_t { CLAP_RENDER_REALTIME = 0, CLAP_RENDER_OFFLINE = 1 };

struct clap_plugin_render {
    bool (*has_hard_realtime_requirement)(const clap_plugin* plugin);
    bool (*set)(const clap_plugin* plugin, int32_t mode);
};

// Layout checks: the same on both targets.
static_assert(sizeof(clap_version) == 12 && alignof(clap_version) == 4);
static_assert(sizeof(clap_plugin_entry) == 40);
static_assert(offsetof(clap_plugin_entry, init) == 16);
static_assert(offsetof(clap_plugin_entry, get_factory) == 32);
static_assert(sizeof(clap_plugin_factory) == 24);
static_assert(sizeof(clap_plugin_descriptor) == 88);
static_assert(offsetof(clap_plugin_descriptor, id) == 16);
static_assert(offsetof(clap_plugin_descriptor, version) == 64);
static_assert(offsetof(clap_plugin_descriptor, features) == 80);
static_assert(sizeof(clap_plugin) == 96);
static_assert(offsetof(clap_plugin, init) == 16);
static_assert(offsetof(clap_plugin, process) == 72);
static_assert(offsetof(clap_plugin, on_main_thread) == 88);
static_assert(sizeof(clap_host) == 88);
static_assert(offsetof(clap_host, host_data) == 16);
static_assert(offsetof(clap_host, get_extension) == 56);
static_assert(offsetof(clap_host, request_callback) == 80);
static_assert(sizeof(clap_process) == 64);
static_assert(offsetof(clap_process, frames_count) == 8);
static_assert(offsetof(clap_process, transport) == 16);
static_assert(offsetof(clap_process, audio_inputs_count) == 40);
static_assert(offsetof(clap_process, audio_outputs_count) == 44);
static_assert(offsetof(clap_process, in_events) == 48);
static_assert(offsetof(clap_process, out_events) == 56);
static_assert(sizeof(clap_audio_buffer) == 32);
static_assert(offsetof(clap_audio_buffer, channel_count) == 16);
static_assert(offsetof(clap_audio_buffer, constant_mask) == 24);
static_assert(sizeof(clap_input_events) == 24 && sizeof(clap_output_events) == 16);
static_assert(sizeof(clap_event_header) == 16 && alignof(clap_event_header) == 4);
static_assert(offsetof(clap_event_header, time) == 4);
static_assert(offsetof(clap_event_header, space_id) == 8);
static_assert(offsetof(clap_event_header, type) == 10);
static_assert(offsetof(clap_event_header, flags) == 12);
static_assert(sizeof(clap_event_param_value) == 56);
static_assert(offsetof(clap_event_param_value, param_id) == 16);
static_assert(offsetof(clap_event_param_value, cookie) == 24);
static_assert(offsetof(clap_event_param_value, note_id) == 32);
static_assert(offsetof(clap_event_param_value, key) == 40);
static_assert(offsetof(clap_event_param_value, value) == 48);
static_assert(sizeof(clap_event_param_gesture) == 20);
static_assert(sizeof(clap_event_transport) == 104);
static_assert(offsetof(clap_event_transport, flags) == 16);
static_assert(offsetof(clap_event_transport, song_pos_beats) == 24);
static_assert(offsetof(clap_event_transport, tempo) == 40);
static_assert(offsetof(clap_event_transport, bar_start) == 88);
static_assert(offsetof(clap_event_transport, bar_number) == 96);
static_assert(offsetof(clap_event_transport, tsig_num) == 100);
static_assert(offsetof(clap_event_transport, tsig_denom) == 102);
static_assert(sizeof(clap_audio_port_info) == 288);
static_assert(offsetof(clap_audio_port_info, flags) == 260);
static_assert(offsetof(clap_audio_port_info, port_type) == 272);
static_assert(offsetof(clap_audio_port_info, in_place_pair) == 280);
static_assert(sizeof(clap_plugin_audio_ports) == 16);
static_assert(sizeof(clap_param_info) == 1320);
static_assert(offsetof(clap_param_info, cookie) == 8);
static_assert(offsetof(clap_param_info, name) == 16);
static_assert(offsetof(clap_param_info, module) == 272);
static_assert(offsetof(clap_param_info, min_value) == 1296);
static_assert(offsetof(clap_param_info, default_value) == 1312);
static_assert(sizeof(clap_plugin_params) == 48 && sizeof(clap_host_params) == 24);
static_assert(sizeof(clap_istream) == 16 && sizeof(clap_ostream) == 16);
static_assert(sizeof(clap_plugin_state) == 16 && sizeof(clap_host_state) == 8);
static_assert(sizeof(clap_plugin_latency) == 8 && sizeof(clap_plugin_tail) == 8);
static_assert(sizeof(clap_plugin_render) == 16);

}  // namespace tav::clap
