#include "host/formats/hosted_lv2.h"

#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/parameters/parameters.h>
#include <lv2/port-props/port-props.h>
#include <lv2/presets/presets.h>
#include <lv2/time/time.h>
#include <lv2/units/units.h>
#include <serd/serd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <ostream>

#include "host/audio_callback_mark.h"

namespace tav {
namespace {

// Features the plug-in may ask for, and whether tavhost offers them.
// (hardRTCapable asks nothing: it is the plug-in's promise.)
const char* const kOfferedFeatures[] = {LV2_URID__map,        LV2_URID__unmap,
                                        LV2_OPTIONS__options, LV2_BUF_SIZE__boundedBlockLength,
                                        LV2_LOG__log,         LV2_CORE__hardRTCapable};

bool Offered(const char* uri) {
    for (const char* offered : kOfferedFeatures) {
        if (std::strcmp(offered, uri) == 0) return true;
    }
    return false;
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A path from a file URI, or empty.
std::string PathOf(const LilvNode* uri) {
    if (uri == nullptr || !lilv_node_is_uri(uri)) return std::string();
    char* path = lilv_file_uri_parse(lilv_node_as_uri(uri), nullptr);
    std::string result = path != nullptr ? path : "";
    lilv_free(path);
    return result;
}

std::string StringOf(LilvNode* node) {
    std::string text = node != nullptr ? lilv_node_as_string(node) : "";
    lilv_node_free(node);
    return text;
}

std::string UnitLabel(const std::string& uri) {
    static const struct {
        const char* uri;
        const char* label;
    } kUnits[] = {{LV2_UNITS__hz, "Hz"},   {LV2_UNITS__pc, "%"},        {LV2_UNITS__db, "dB"},
                  {LV2_UNITS__ms, "ms"},   {LV2_UNITS__s, "s"},         {LV2_UNITS__bpm, "BPM"},
                  {LV2_UNITS__khz, "kHz"}, {LV2_UNITS__frame, "frames"}};
    for (const auto& unit : kUnits) {
        if (uri == unit.uri) return unit.label;
    }
    return std::string();
}

// The presets a bundle's manifest names, in its order: the factory programs'
// order, which lilv's own lists do not keep.
struct ManifestReading {
    SerdEnv* env;
    std::vector<std::string> presets;
};

std::vector<std::string> PresetsInManifestOrder(const std::string& bundleUri) {
    const std::string manifest = bundleUri + "manifest.ttl";
    SerdNode base =
        serd_node_from_string(SERD_URI, reinterpret_cast<const uint8_t*>(manifest.c_str()));
    ManifestReading reading{serd_env_new(&base), {}};
    SerdReader* reader = serd_reader_new(
        SERD_TURTLE, &reading, nullptr,
        [](void* handle, const SerdNode* uri) {
            return serd_env_set_base_uri(static_cast<ManifestReading*>(handle)->env, uri);
        },
        [](void* handle, const SerdNode* name, const SerdNode* uri) {
            return serd_env_set_prefix(static_cast<ManifestReading*>(handle)->env, name, uri);
        },
        [](void* handle, SerdStatementFlags, const SerdNode*, const SerdNode* subject,
           const SerdNode* predicate, const SerdNode* object, const SerdNode*, const SerdNode*) {
            auto& r = *static_cast<ManifestReading*>(handle);
            const auto text = [&r](const SerdNode* node) {
                SerdNode full = serd_env_expand_node(r.env, node);
                std::string result =
                    full.buf != nullptr ? reinterpret_cast<const char*>(full.buf) : "";
                serd_node_free(&full);
                return result;
            };
            if (text(predicate) == LILV_NS_RDF "type" && text(object) == LV2_PRESETS__Preset)
                r.presets.push_back(text(subject));
            return SERD_SUCCESS;
        },
        nullptr);
    serd_reader_read_file(reader, reinterpret_cast<const uint8_t*>(manifest.c_str()));
    serd_reader_free(reader);
    serd_env_free(reading.env);
    return reading.presets;
}

bool IsUri(const std::string& path) {
    return path.find("://") != std::string::npos && !std::filesystem::exists(path);
}

}  // namespace

bool IsLv2Plugin(const std::string& path) {
    if (IsUri(path)) return true;
    std::error_code ignored;
    return std::filesystem::is_directory(path, ignored) &&
           std::filesystem::exists(std::filesystem::path(path) / "manifest.ttl", ignored);
}

std::unique_ptr<PluginInstance> OpenLv2Plugin(const std::string& path, const HostSettings& settings,
                                              std::string* error) {
    return HostedLv2::Load(path, settings, error);
}

LilvNode* HostedLv2::Uri(const char* uri) {
    nodes_.push_back(lilv_new_uri(world_, uri));
    return nodes_.back();
}

LV2_URID HostedLv2::Map(const char* uri) {
    std::lock_guard<std::mutex> hold(mapMutex_);
    const auto found = urids_.find(uri);
    if (found != urids_.end()) return found->second;
    uris_.emplace_back(uri);
    const auto urid = static_cast<LV2_URID>(uris_.size());
    urids_.emplace(uri, urid);
    return urid;
}

LV2_URID HostedLv2::MapCall(LV2_URID_Map_Handle handle, const char* uri) {
    return uri != nullptr ? static_cast<HostedLv2*>(handle)->Map(uri) : 0;
}

const char* HostedLv2::UnmapCall(LV2_URID_Unmap_Handle handle, LV2_URID urid) {
    auto* self = static_cast<HostedLv2*>(handle);
    std::lock_guard<std::mutex> hold(self->mapMutex_);
    return urid >= 1 && urid <= self->uris_.size() ? self->uris_[urid - 1].c_str() : nullptr;
}

int HostedLv2::LogVCall(LV2_Log_Handle handle, LV2_URID, const char* fmt, va_list ap) {
    ++static_cast<HostedLv2*>(handle)->logMessages_;
    std::fputs("tavhost: the plug-in says: ", stderr);
    return std::vfprintf(stderr, fmt, ap);
}

int HostedLv2::LogCall(LV2_Log_Handle handle, LV2_URID type, const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    const int printed = LogVCall(handle, type, fmt, ap);
    va_end(ap);
    return printed;
}

void HostedLv2::BuildFeatures() {
    map_ = {this, MapCall};
    unmap_ = {this, UnmapCall};
    log_ = {this, LogCall, LogVCall};
    minBlock_ = 1;
    maxBlock_ = settings_.blockSize;
    sampleRate_ = static_cast<float>(settings_.sampleRate);
    const LV2_URID intType = Map(LV2_ATOM__Int), floatType = Map(LV2_ATOM__Float);
    const auto option = [](LV2_URID key, uint32_t size, LV2_URID type, const void* value) {
        return LV2_Options_Option{LV2_OPTIONS_INSTANCE, 0, key, size, type, value};
    };
    options_ = {
        option(Map(LV2_BUF_SIZE__minBlockLength), sizeof minBlock_, intType, &minBlock_),
        option(Map(LV2_BUF_SIZE__maxBlockLength), sizeof maxBlock_, intType, &maxBlock_),
        option(Map(LV2_BUF_SIZE__nominalBlockLength), sizeof maxBlock_, intType, &maxBlock_),
        option(Map(LV2_PARAMETERS__sampleRate), sizeof sampleRate_, floatType, &sampleRate_),
        option(0, 0, 0, nullptr)};
    featureStore_ = {{LV2_URID__map, &map_},
                     {LV2_URID__unmap, &unmap_},
                     {LV2_OPTIONS__options, options_.data()},
                     {LV2_BUF_SIZE__boundedBlockLength, nullptr},
                     {LV2_LOG__log, &log_}};
    features_.clear();
    for (const LV2_Feature& feature : featureStore_) features_.push_back(&feature);
    features_.push_back(nullptr);
}

bool HostedLv2::Create(const std::string& path, std::string* error) {
    auto fail = [&](const std::string& why) {
        *error = path + ": " + why;
        return false;
    };
    world_ = lilv_world_new();
    if (world_ == nullptr) return fail("lilv could not start");
    if (IsUri(path)) {
        lilv_world_load_all(world_);
        plugin_ = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world_), Uri(path.c_str()));
        if (plugin_ == nullptr) return fail("no LV2 plug-in of that URI in LV2_PATH");
    } else {
        std::string bundle = std::filesystem::absolute(path).lexically_normal().string();
        if (bundle.back() != '/') bundle += '/';
        nodes_.push_back(lilv_new_file_uri(world_, nullptr, bundle.c_str()));
        const LilvNode* bundleUri = nodes_.back();
        lilv_world_load_bundle(world_, bundleUri);
        const LilvPlugins* all = lilv_world_get_all_plugins(world_);
        LILV_FOREACH(plugins, i, all) {
            const LilvPlugin* candidate = lilv_plugins_get(all, i);
            if (lilv_node_equals(lilv_plugin_get_bundle_uri(candidate), bundleUri)) {
                plugin_ = candidate;
                break;
            }
        }
        if (plugin_ == nullptr) return fail("the bundle describes no plug-in");
    }
    if (LilvNodes* required = lilv_plugin_get_required_features(plugin_)) {
        std::string missing;
        LILV_FOREACH(nodes, i, required) {
            const char* uri = lilv_node_as_uri(lilv_nodes_get(required, i));
            if (!Offered(uri)) missing = uri;
        }
        lilv_nodes_free(required);
        if (!missing.empty()) return fail("it requires " + missing + ", which tavhost lacks");
    }
    BuildFeatures();
    lv2_atom_forge_init(&forge_, &map_);
    // Mapped now: the audio path neither allocates nor waits for the map's lock.
    timeUrids_ = {Map(LV2_ATOM__frameTime),      Map(LV2_TIME__Position),
                  Map(LV2_TIME__frame),          Map(LV2_TIME__speed),
                  Map(LV2_TIME__beatsPerMinute), Map(LV2_TIME__beatsPerBar),
                  Map(LV2_TIME__beatUnit),       Map(LV2_TIME__bar),
                  Map(LV2_TIME__barBeat),        Map(LV2_TIME__beat)};
    ReadPorts();
    ReadPresets();
    instance_ = lilv_plugin_instantiate(plugin_, settings_.sampleRate, features_.data());
    if (instance_ == nullptr) return fail("the plug-in refused to be instantiated");
    ConnectPorts();
    return true;
}

void HostedLv2::ConnectPorts() {
    for (uint32_t port = 0; port < controls_.size(); ++port) {
        if (static_cast<int32_t>(port) == controlPort_) {
            lilv_instance_connect_port(instance_, port, sequence_.data());
        } else if (std::find(audioIn_.begin(), audioIn_.end(), port) == audioIn_.end() &&
                   std::find(audioOut_.begin(), audioOut_.end(), port) == audioOut_.end()) {
            lilv_instance_connect_port(instance_, port, &controls_[port]);
        }
    }
}

bool HostedLv2::ChangeSampleRate(double rate, std::string* error) {
    StopAudio();
    const float was = sampleRate_;
    sampleRate_ = static_cast<float>(rate);  // the options the new instance reads
    LilvInstance* fresh = lilv_plugin_instantiate(plugin_, rate, features_.data());
    if (fresh == nullptr) {
        sampleRate_ = was;
        if (error != nullptr) *error = "the plug-in refused to be instantiated at the new rate";
        return false;
    }
    lilv_instance_free(instance_);
    instance_ = fresh;
    ConnectPorts();
    return HostedPlugin::ChangeSampleRate(rate, error);
}

void HostedLv2::ReadPorts() {
    LilvNode* audio = Uri(LILV_URI_AUDIO_PORT);
    LilvNode* control = Uri(LILV_URI_CONTROL_PORT);
    LilvNode* atom = Uri(LV2_ATOM__AtomPort);
    LilvNode* input = Uri(LILV_URI_INPUT_PORT);
    LilvNode* position = Uri(LV2_TIME__Position);
    LilvNode* unit = Uri(LV2_UNITS__unit);
    LilvNode* stepped[] = {Uri(LV2_CORE__integer), Uri(LV2_CORE__toggled),
                           Uri(LV2_CORE__enumeration)};
    const uint32_t count = lilv_plugin_get_num_ports(plugin_);
    std::vector<float> defaults(count), minimum(count), maximum(count);
    lilv_plugin_get_port_ranges_float(plugin_, minimum.data(), maximum.data(), defaults.data());
    controls_.assign(count, 0.0f);
    for (uint32_t i = 0; i < count; ++i) {
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin_, i);
        const bool isInput = lilv_port_is_a(plugin_, port, input);
        const std::string symbol = lilv_node_as_string(lilv_port_get_symbol(plugin_, port));
        std::string kind = isInput ? "in" : "out";
        if (lilv_port_is_a(plugin_, port, audio)) {
            (isInput ? audioIn_ : audioOut_).push_back(i);
            kind = "audio " + kind;
        } else if (lilv_port_is_a(plugin_, port, atom)) {
            kind = "atom " + kind;
            if (isInput && controlPort_ < 0 && lilv_port_supports_event(plugin_, port, position))
                controlPort_ = static_cast<int32_t>(i);
        } else if (lilv_port_is_a(plugin_, port, control)) {
            kind = "control " + kind;
            const float start = !std::isnan(defaults[i])  ? defaults[i]
                                : !std::isnan(minimum[i]) ? minimum[i]
                                                          : 0.0f;
            controls_[i] = start;
            if (isInput) {
                ParamPort param;
                param.port = i;
                param.symbol = symbol;
                param.name = StringOf(lilv_port_get_name(plugin_, port));
                param.min = std::isnan(minimum[i]) ? 0.0f : minimum[i];
                param.max = std::isnan(maximum[i]) ? 1.0f : maximum[i];
                for (LilvNode* property : stepped)
                    param.stepped =
                        param.stepped || lilv_port_has_property(plugin_, port, property);
                if (LilvNode* u = lilv_port_get(plugin_, port, unit)) {
                    if (lilv_node_is_uri(u)) param.unit = UnitLabel(lilv_node_as_uri(u));
                    lilv_node_free(u);
                }
                if (LilvScalePoints* points = lilv_port_get_scale_points(plugin_, port)) {
                    LILV_FOREACH(scale_points, p, points) {
                        const LilvScalePoint* point = lilv_scale_points_get(points, p);
                        param.scalePoints.emplace_back(
                            lilv_node_as_float(lilv_scale_point_get_value(point)),
                            lilv_node_as_string(lilv_scale_point_get_label(point)));
                    }
                    lilv_scale_points_free(points);
                    std::sort(param.scalePoints.begin(), param.scalePoints.end());
                }
                params_.push_back(param);
            }
        }
        portList_.emplace_back(i, kind + "  " + symbol);
    }
    // Room for a few positions; a block carries at most one.
    sequence_.assign(512, 0);
}

void HostedLv2::ReadPresets() {
    LilvNode* presetClass = Uri(LV2_PRESETS__Preset);
    LilvNode* label = Uri(LILV_NS_RDFS "label");
    LilvNodes* related = lilv_plugin_get_related(plugin_, presetClass);
    LILV_FOREACH(nodes, i, related) {
        const LilvNode* preset = lilv_nodes_get(related, i);
        lilv_world_load_resource(world_, preset);
        presets_.push_back(
            {lilv_node_as_uri(preset), StringOf(lilv_world_get(world_, preset, label, nullptr))});
    }
    lilv_nodes_free(related);
    // The bundle's own presets in its manifest's order, then any others by name.
    const std::vector<std::string> order =
        PresetsInManifestOrder(lilv_node_as_uri(lilv_plugin_get_bundle_uri(plugin_)));
    const auto rank = [&order](const Preset& preset) {
        return std::find(order.begin(), order.end(), preset.uri) - order.begin();
    };
    std::stable_sort(presets_.begin(), presets_.end(), [&](const Preset& a, const Preset& b) {
        return rank(a) != rank(b) ? rank(a) < rank(b) : a.label < b.label;
    });
}

HostedLv2::~HostedLv2() {
    CloseEditorWindow();
    StopAudio();
    if (instance_ != nullptr) lilv_instance_free(instance_);
    for (LilvNode* node : nodes_) lilv_node_free(node);
    if (world_ != nullptr) lilv_world_free(world_);
}

bool HostedLv2::Activate(ProcessKind kind, std::string* error) {
    if (kind != ProcessKind::Replacing) {
        if (error != nullptr) *error = "an LV2 plug-in processes 32-bit audio only";
        return false;
    }
    lilv_instance_activate(instance_);
    sentPosition_ = SentPosition();  // a new run: the plug-in hears the transport afresh
    return true;
}

void HostedLv2::WriteControlSequence() {
    auto* bytes = reinterpret_cast<uint8_t*>(sequence_.data());
    lv2_atom_forge_set_buffer(&forge_, bytes, sequence_.size() * sizeof(uint64_t));
    LV2_Atom_Forge_Frame sequence;
    lv2_atom_forge_sequence_head(&forge_, &sequence, timeUrids_.frameTime);
    const TransportState t = TransportNow();
    const bool due = !sentPosition_.sent || t.changed || t.playing != sentPosition_.playing ||
                     t.tempo != sentPosition_.tempo;
    if (due) {
        lv2_atom_forge_frame_time(&forge_, 0);
        LV2_Atom_Forge_Frame object;
        lv2_atom_forge_object(&forge_, &object, 0, timeUrids_.position);
        lv2_atom_forge_key(&forge_, timeUrids_.frame);
        lv2_atom_forge_long(&forge_, t.samplePos);
        lv2_atom_forge_key(&forge_, timeUrids_.speed);
        lv2_atom_forge_float(&forge_, t.playing ? 1.0f : 0.0f);
        if (t.tempo > 0.0) {
            // LV2 counts beats of the time signature's unit, the others quarter notes;
            // doubles keep the values as exact as the other formats'.
            const double perQuarter = t.timeSigDenominator / 4.0;
            lv2_atom_forge_key(&forge_, timeUrids_.bpm);
            lv2_atom_forge_double(&forge_, t.tempo * perQuarter);
            lv2_atom_forge_key(&forge_, timeUrids_.beatsPerBar);
            lv2_atom_forge_float(&forge_, static_cast<float>(t.timeSigNumerator));
            lv2_atom_forge_key(&forge_, timeUrids_.beatUnit);
            lv2_atom_forge_int(&forge_, t.timeSigDenominator);
            lv2_atom_forge_key(&forge_, timeUrids_.bar);
            lv2_atom_forge_long(&forge_, t.barNumber);
            lv2_atom_forge_key(&forge_, timeUrids_.barBeat);
            lv2_atom_forge_double(&forge_, (t.beats - t.barStart) * perQuarter);
            lv2_atom_forge_key(&forge_, timeUrids_.beat);
            lv2_atom_forge_double(&forge_, t.beats * perQuarter);
        }
        lv2_atom_forge_pop(&forge_, &object);
        sentPosition_ = {true, t.playing, t.tempo};
        ++positionsSent_;
    }
    lv2_atom_forge_pop(&forge_, &sequence);
}

void HostedLv2::Process(ProcessKind kind, float** inputs, float** outputs, int frames) {
    if (kind != ProcessKind::Replacing || !Active() || frames <= 0) return;
    std::stable_sort(pending_.begin(), pending_.end(),
                     [](const PortChange& a, const PortChange& b) { return a.offset < b.offset; });
    size_t change = 0;
    // Longer than the block length promised, or changed inside: in slices.
    for (int done = 0; done < frames;) {
        for (; change < pending_.size() && pending_[change].offset <= done; ++change)
            SetPort(pending_[change].port, pending_[change].value);
        int n = std::min(frames - done, maxBlock_);
        if (change < pending_.size()) n = std::min(n, pending_[change].offset - done);
        for (size_t c = 0; c < audioIn_.size(); ++c)
            lilv_instance_connect_port(instance_, audioIn_[c], inputs[c] + done);
        for (size_t c = 0; c < audioOut_.size(); ++c)
            lilv_instance_connect_port(instance_, audioOut_[c], outputs[c] + done);
        if (controlPort_ >= 0) {
            if (done == 0) {
                WriteControlSequence();
            } else {
                auto* seq = reinterpret_cast<LV2_Atom_Sequence*>(sequence_.data());
                seq->atom.size = sizeof(LV2_Atom_Sequence_Body);  // nothing new
            }
        }
        {
            const AudioCallbackMark mark;
            lilv_instance_run(instance_, static_cast<uint32_t>(n));
        }
        done += n;
    }
    for (; change < pending_.size(); ++change)
        SetPort(pending_[change].port, pending_[change].value);
    pending_.clear();
}

std::string HostedLv2::ParamDisplay(int index) {
    const ParamPort& param = Param(index);
    const float value = controls_[param.port];
    for (const auto& [point, label] : param.scalePoints) {
        if (point == value) return label;
    }
    char text[32];
    std::snprintf(text, sizeof text, param.stepped ? "%.0f" : "%g", static_cast<double>(value));
    return text;
}

double HostedLv2::ParamValue(int index) {
    const ParamPort& param = Param(index);
    const double range = static_cast<double>(param.max) - param.min;
    return range > 0.0 ? (controls_[param.port] - param.min) / range : 0.0;
}

void HostedLv2::SetPort(uint32_t port, float value) {
    if (port < controls_.size()) controls_[port] = value;
}

float HostedLv2::PlainValue(int index, double unit) const {
    const ParamPort& param = Param(index);
    double plain = param.min + std::clamp(unit, 0.0, 1.0) * (param.max - param.min);
    if (param.stepped) plain = std::round(plain);
    return static_cast<float>(plain);
}

void HostedLv2::SetParamValue(int index, double unit) {
    SetPort(Param(index).port, PlainValue(index, unit));
}

void HostedLv2::SetParamValueAt(int index, double unit, int offset) {
    if (offset <= 0 || !Active()) {
        SetParamValue(index, unit);
        return;
    }
    pending_.push_back({offset, Param(index).port, PlainValue(index, unit)});
}

bool HostedLv2::SetParameterText(int index, const std::string& text) {
    const ParamPort& param = Param(index);
    const std::string wanted = Lower(Trimmed(text));
    for (const auto& [point, label] : param.scalePoints) {
        if (Lower(label) == wanted) {
            SetPort(param.port, point);
            return true;
        }
    }
    char* end = nullptr;
    errno = 0;
    double plain = std::strtod(wanted.c_str(), &end);
    if (wanted.empty() || end != wanted.c_str() + wanted.size() || errno != 0 ||
        !std::isfinite(plain)) {
        return false;
    }
    plain = std::clamp(plain, static_cast<double>(param.min), static_cast<double>(param.max));
    if (param.stepped) plain = std::round(plain);
    SetPort(param.port, static_cast<float>(plain));
    return true;
}

void HostedLv2::SetPortBySymbol(const char* symbol, float value) {
    for (const ParamPort& param : params_) {
        if (param.symbol == symbol) SetPort(param.port, value);
    }
}

namespace {

// A state's port values, as lilv hands them over.
struct PortSetter {
    HostedLv2* host;
    LV2_URID floatType, doubleType, intType;
    void (*set)(HostedLv2*, const char*, float);
};

}  // namespace

void HostedLv2::SetProgram(int index) {
    if (index < 0 || index >= NumPrograms()) return;
    LilvNode* uri = lilv_new_uri(world_, presets_[Index(index)].uri.c_str());
    LilvState* state = lilv_state_new_from_world(world_, &map_, uri);
    lilv_node_free(uri);
    if (state == nullptr) return;
    PortSetter setter{this, Map(LV2_ATOM__Float), Map(LV2_ATOM__Double), Map(LV2_ATOM__Int),
                      [](HostedLv2* self, const char* symbol, float value) {
                          self->SetPortBySymbol(symbol, value);
                      }};
    lilv_state_emit_port_values(
        state,
        [](const char* symbol, void* data, const void* value, uint32_t size, uint32_t type) {
            const auto& s = *static_cast<PortSetter*>(data);
            float v = 0.0f;
            if (type == s.floatType && size == sizeof(float)) {
                std::memcpy(&v, value, sizeof v);
            } else if (type == s.doubleType && size == sizeof(double)) {
                double d;
                std::memcpy(&d, value, sizeof d);
                v = static_cast<float>(d);
            } else if (type == s.intType && size == sizeof(int32_t)) {
                int32_t i;
                std::memcpy(&i, value, sizeof i);
                v = static_cast<float>(i);
            } else {
                return;
            }
            s.set(s.host, symbol, v);
        },
        &setter);
    lilv_state_free(state);
    program_ = index;
}

std::string HostedLv2::ProgramName(int index) {
    return index >= 0 && index < NumPrograms() ? presets_[Index(index)].label : std::string();
}

std::vector<std::uint8_t> HostedLv2::ReadState(bool) {
    struct Getter {
        HostedLv2* host;
        LV2_URID floatType;
    } getter{this, Map(LV2_ATOM__Float)};
    LilvState* state = lilv_state_new_from_instance(
        plugin_, instance_, &map_, nullptr, nullptr, nullptr, nullptr,
        [](const char* symbol, void* data, uint32_t* size, uint32_t* type) -> const void* {
            const auto& g = *static_cast<Getter*>(data);
            for (const ParamPort& param : g.host->params_) {
                if (param.symbol != symbol) continue;
                *size = sizeof(float);
                *type = g.floatType;
                return &g.host->controls_[param.port];
            }
            *size = 0;
            *type = 0;
            return nullptr;
        },
        &getter, 0, features_.data());
    if (state == nullptr) return {};
    char* text = lilv_state_to_string(world_, &map_, &unmap_, state, "urn:tavhost:state", nullptr);
    lilv_state_free(state);
    if (text == nullptr) return {};
    // lilv leaves the prefixes out; with them the bytes are a Turtle file of their own.
    std::string turtle = std::strncmp(text, "@prefix", 7) == 0
                             ? std::string()
                             : "@prefix lv2: <" LV2_CORE_PREFIX
                               "> .\n@prefix pset: <" LV2_PRESETS_PREFIX "> .\n\n";
    turtle += text;
    std::vector<std::uint8_t> bytes(turtle.begin(), turtle.end());
    lilv_free(text);
    return bytes;
}

bool HostedLv2::WriteState(bool, const std::vector<std::uint8_t>& bytes) {
    if (bytes.empty()) return false;
    const std::string text(bytes.begin(), bytes.end());
    if (text.find('\0') != std::string::npos) return false;  // no Turtle at all
    LilvState* state = lilv_state_new_from_string(world_, &map_, text.c_str());
    if (state == nullptr) return false;
    const LilvNode* owner = lilv_state_get_plugin_uri(state);
    const bool ours = owner != nullptr && lilv_node_equals(owner, lilv_plugin_get_uri(plugin_));
    if (ours) {
        const LV2_URID floatType = Map(LV2_ATOM__Float);
        struct Target {
            HostedLv2* host;
            LV2_URID floatType;
        } target{this, floatType};
        lilv_state_emit_port_values(
            state,
            [](const char* symbol, void* data, const void* value, uint32_t size, uint32_t type) {
                const auto& t = *static_cast<Target*>(data);
                if (type != t.floatType || size != sizeof(float)) return;
                float v;
                std::memcpy(&v, value, sizeof v);
                if (std::isfinite(v)) t.host->SetPortBySymbol(symbol, v);
            },
            &target);
    }
    lilv_state_free(state);
    return ours;
}

bool HostedLv2::LoadPresetFile(FxFile, const std::vector<std::uint8_t>&, std::string* error) {
    *error = "an LV2 plug-in takes no VST 2 preset file; load its own state with --load-chunk";
    return false;
}

bool HostedLv2::EditorSize(int* width, int* height, std::string* error) {
    LilvUIs* uis = lilv_plugin_get_uis(plugin_);
    const bool hasUi = uis != nullptr && lilv_uis_size(uis) > 0;
    if (uis != nullptr) lilv_uis_free(uis);
    if (!hasUi) {
        *error = "the plug-in has no UI";
        return false;
    }
    *width = uiWidth_ > 0 ? uiWidth_ : 64;
    *height = uiHeight_ > 0 ? uiHeight_ : 64;
    return true;
}

bool HostedLv2::SetEditorScale(double factor, std::string* error) {
    if (!(factor > 0.0)) {
        *error = "the scale factor must be above 0";
        return false;
    }
    scaleFactor_ = static_cast<float>(factor);
    uiWidth_ = uiHeight_ = 0;  // the UI says its new size when it opens
    if (ui_ != nullptr && uiOptions_ != nullptr) {
        const LV2_Options_Option options[] = {
            {LV2_OPTIONS_INSTANCE, 0, Map(LV2_UI__scaleFactor), sizeof scaleFactor_,
             Map(LV2_ATOM__Float), &scaleFactor_},
            {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
        if (uiOptions_->set(ui_, options) != LV2_OPTIONS_SUCCESS) {
            *error = "the UI refused the scale factor";
            return false;
        }
    }
    return true;
}

int HostedLv2::UiResizeCall(LV2UI_Feature_Handle handle, int width, int height) {
    auto* self = static_cast<HostedLv2*>(handle);
    ++self->uiResizes_;
    if (!self->onEditorResize || !self->onEditorResize(width, height)) return 1;
    self->uiWidth_ = width;
    self->uiHeight_ = height;
    return 0;
}

void HostedLv2::UiTouchCall(LV2UI_Feature_Handle handle, uint32_t, bool) {
    ++static_cast<HostedLv2*>(handle)->uiTouches_;
}

void HostedLv2::UiWriteCall(LV2UI_Controller controller, uint32_t port, uint32_t size,
                            uint32_t protocol, const void* buffer) {
    auto* self = static_cast<HostedLv2*>(controller);
    if (protocol != 0 || size != sizeof(float) || buffer == nullptr) return;
    for (const ParamPort& param : self->params_) {
        if (param.port != port) continue;
        float value;
        std::memcpy(&value, buffer, sizeof value);
        if (!std::isfinite(value)) return;
        ++self->uiWrites_;
        self->controls_[port] = value;
        self->uiSeen_[port] = value;  // the UI knows what it wrote
    }
}

bool HostedLv2::OpenEditorIn(void* parent, std::string* error) {
    CloseEditorWindow();
    LilvNode* x11 = Uri(LV2_UI__X11UI);
    LilvUIs* uis = lilv_plugin_get_uis(plugin_);
    LILV_FOREACH(uis, i, uis) {
        const LilvUI* ui = lilv_uis_get(uis, i);
        if (!lilv_ui_is_a(ui, x11)) continue;
        uiUri_ = lilv_node_as_uri(lilv_ui_get_uri(ui));
        uiBinary_ = PathOf(lilv_ui_get_binary_uri(ui));
        uiBundle_ = PathOf(lilv_ui_get_bundle_uri(ui));
        break;
    }
    if (uis != nullptr) lilv_uis_free(uis);
    if (uiUri_.empty()) {
        *error = "the plug-in has no X11 UI";
        return false;
    }
    if (!uiLibrary_.IsLoaded() && !uiLibrary_.Load(uiBinary_, error)) return false;
    const auto entry =
        reinterpret_cast<LV2UI_DescriptorFunction>(uiLibrary_.Symbol("lv2ui_descriptor"));
    uiDescriptor_ = nullptr;
    for (uint32_t i = 0; entry != nullptr; ++i) {
        const LV2UI_Descriptor* d = entry(i);
        if (d == nullptr) break;
        if (d->URI != nullptr && uiUri_ == d->URI) uiDescriptor_ = d;
    }
    if (uiDescriptor_ == nullptr) {
        *error = "the UI binary does not hold " + uiUri_;
        return false;
    }
    resize_ = {this, UiResizeCall};
    touch_ = {this, UiTouchCall};
    const LV2_Options_Option uiOptions[] = {
        {LV2_OPTIONS_INSTANCE, 0, Map(LV2_UI__scaleFactor), sizeof scaleFactor_,
         Map(LV2_ATOM__Float), &scaleFactor_},
        {LV2_OPTIONS_INSTANCE, 0, Map(LV2_PARAMETERS__sampleRate), sizeof sampleRate_,
         Map(LV2_ATOM__Float), &sampleRate_},
        {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
    const LV2_Feature parentFeature = {LV2_UI__parent, parent};
    const LV2_Feature resizeFeature = {LV2_UI__resize, &resize_};
    const LV2_Feature touchFeature = {LV2_UI__touch, &touch_};
    const LV2_Feature idleFeature = {LV2_UI__idleInterface, nullptr};
    const LV2_Feature optionsFeature = {LV2_OPTIONS__options,
                                        const_cast<LV2_Options_Option*>(uiOptions)};
    const LV2_Feature* features[] = {&parentFeature,    &resizeFeature,    &touchFeature,
                                     &idleFeature,      &optionsFeature,   &featureStore_[0],
                                     &featureStore_[1], &featureStore_[4], nullptr};
    uiSeen_.assign(controls_.size(), NAN);
    LV2UI_Widget widget = nullptr;
    std::string bundle = uiBundle_;
    if (!bundle.empty() && bundle.back() != '/') bundle += '/';
    ui_ = uiDescriptor_->instantiate(uiDescriptor_, lilv_node_as_uri(lilv_plugin_get_uri(plugin_)),
                                     bundle.c_str(), UiWriteCall, this, &widget, features);
    if (ui_ == nullptr) {
        *error = "the UI refused to open";
        return false;
    }
    if (uiDescriptor_->extension_data != nullptr) {
        uiIdle_ = static_cast<const LV2UI_Idle_Interface*>(
            uiDescriptor_->extension_data(LV2_UI__idleInterface));
        uiOptions_ = static_cast<const LV2_Options_Interface*>(
            uiDescriptor_->extension_data(LV2_OPTIONS__interface));
    }
    SendPortEvents();
    return true;
}

void HostedLv2::SendPortEvents() {
    if (ui_ == nullptr || uiDescriptor_->port_event == nullptr) return;
    for (const ParamPort& param : params_) {
        const float value = controls_[param.port];
        float& seen = uiSeen_[param.port];
        if (seen == value) continue;
        seen = value;
        uiDescriptor_->port_event(ui_, param.port, sizeof value, 0, &value);
    }
}

void HostedLv2::EditorIdle() {
    if (ui_ == nullptr) return;
    // A UI that says it is done has closed its own window.
    if (uiIdle_ != nullptr && uiIdle_->idle(ui_) != 0) {
        CloseEditorWindow();
        return;
    }
    SendPortEvents();
}

void HostedLv2::CloseEditorWindow() {
    if (ui_ == nullptr) return;
    uiDescriptor_->cleanup(ui_);
    ui_ = nullptr;
    uiIdle_ = nullptr;
    uiOptions_ = nullptr;
}

void HostedLv2::PrintIdentity(std::ostream& out) {
    const LilvPluginClass* type = lilv_plugin_get_class(plugin_);
    out << "format        LV2\n"
        << "uri           " << lilv_node_as_uri(lilv_plugin_get_uri(plugin_)) << "\n"
        << "effect        " << StringOf(lilv_plugin_get_name(plugin_)) << "\n"
        << "class         "
        << (type != nullptr ? lilv_node_as_string(lilv_plugin_class_get_label(type)) : "") << "\n"
        << "bundle        " << PathOf(lilv_plugin_get_bundle_uri(plugin_)) << "\n"
        << "binary        " << PathOf(lilv_plugin_get_library_uri(plugin_)) << "\n";
}

void HostedLv2::PrintDetails(std::ostream& out) {
    out << "sample sizes  " << SampleSizes() << "\n";
    if (lilv_plugin_has_latency(plugin_)) {
        out << "latency       " << controls_[lilv_plugin_get_latency_port_index(plugin_)] << "\n";
    }
    out << "ports         " << portList_.size() << "\n";
    for (const auto& [index, text] : portList_) out << "  " << index << "  " << text << "\n";
    LilvUIs* uis = lilv_plugin_get_uis(plugin_);
    LILV_FOREACH(uis, i, uis) {
        const LilvUI* ui = lilv_uis_get(uis, i);
        std::string classes;
        const LilvNodes* types = lilv_ui_get_classes(ui);
        LILV_FOREACH(nodes, c, types) {
            classes += classes.empty() ? "" : " ";
            classes += lilv_node_as_uri(lilv_nodes_get(types, c));
        }
        out << "ui            " << lilv_node_as_uri(lilv_ui_get_uri(ui)) << " (" << classes << ")\n"
            << "ui binary     " << PathOf(lilv_ui_get_binary_uri(ui)) << "\n";
    }
    if (uis != nullptr) lilv_uis_free(uis);
    out << "presets:\n";
    for (const Preset& preset : presets_) out << "  " << preset.uri << "  " << preset.label << "\n";
}

void HostedLv2::PrintHostCalls(std::ostream& out) {
    for (const bool required : {true, false}) {
        LilvNodes* features = required ? lilv_plugin_get_required_features(plugin_)
                                       : lilv_plugin_get_optional_features(plugin_);
        LILV_FOREACH(nodes, i, features) {
            const char* uri = lilv_node_as_uri(lilv_nodes_get(features, i));
            out << "  feature " << (required ? "required " : "optional ") << uri
                << (Offered(uri) ? "  (given)" : "  (not given)") << "\n";
        }
        if (features != nullptr) lilv_nodes_free(features);
    }
    std::lock_guard<std::mutex> hold(mapMutex_);
    out << "  urids mapped           " << uris_.size() << "\n"
        << "  log messages           " << logMessages_ << "\n"
        << "  positions sent         " << positionsSent_ << "\n"
        << "  ui port writes         " << uiWrites_ << "\n"
        << "  ui touches             " << uiTouches_ << "\n"
        << "  ui resizes             " << uiResizes_ << "\n";
}

}  // namespace tav
