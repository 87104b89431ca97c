#include "host/formats/hosted_clap.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <ostream>

#include "host/audio_callback_mark.h"
#include "host/formats/transport_report.h"

namespace tav {

using namespace clap;

namespace {

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Collects the programs a preset provider lists.
struct ProgramListing {
    std::vector<std::string> names, keys;
    bool locationDeclared = false;
};

ProgramListing& ListingOf(const void* data) {
    return *static_cast<ProgramListing*>(const_cast<void*>(data));
}

}  // namespace

bool IsClapModule(const std::string& path) {
    if (EndsWith(path, ".clap")) return true;
    PluginLibrary probe;
    return probe.Load(path, nullptr) && probe.Symbol("clap_entry") != nullptr &&
           probe.FindEntry() == nullptr;
}

template <class T>
const T* HostedClap::Extension(const char* id) const {
    return static_cast<const T*>(plugin_->get_extension(plugin_, id));
}

bool HostedClap::Create(const std::string& path, std::string* error) {
    auto fail = [&](const std::string& why) {
        *error = path + ": " + why;
        return false;
    };
    if (!library_.Load(path, error)) return fail(*error);
    entry_ = static_cast<const clap_plugin_entry*>(library_.Symbol("clap_entry"));
    if (entry_ == nullptr) return fail("no clap_entry");
    if (!clap_version_is_compatible(entry_->clap_version)) return fail("an unknown CLAP version");
    if (!entry_->init(path.c_str())) return fail("the entry's init failed");
    entryReady_ = true;
    const auto* factory =
        static_cast<const clap_plugin_factory*>(entry_->get_factory(CLAP_PLUGIN_FACTORY_ID));
    if (factory == nullptr) return fail("no plug-in factory");
    const uint32_t count = factory->get_plugin_count(factory);
    for (uint32_t i = 0; i < count && descriptor_ == nullptr; ++i) {
        const clap_plugin_descriptor* d = factory->get_plugin_descriptor(factory, i);
        for (const char* const* f = d != nullptr ? d->features : nullptr; f && *f; ++f) {
            if (std::strcmp(*f, "audio-effect") == 0) descriptor_ = d;
        }
    }
    if (descriptor_ == nullptr) return fail("the factory has no audio effect");
    plugin_ = factory->create_plugin(factory, host_.Record(), descriptor_->id);
    if (plugin_ == nullptr) return fail("the factory made no plug-in");
    if (!plugin_->init(plugin_)) return fail("the plug-in's init failed");
    pluginReady_ = true;
    paramsExt_ = Extension<clap_plugin_params>(CLAP_EXT_PARAMS);
    state_ = Extension<clap_plugin_state>(CLAP_EXT_STATE);
    presetLoad_ = Extension<clap_plugin_preset_load>(CLAP_EXT_PRESET_LOAD);
    gui_ = Extension<clap_plugin_gui>(CLAP_EXT_GUI);
    host_.SetPlugin(plugin_);
    if (const auto* ports = Extension<clap_plugin_audio_ports>(CLAP_EXT_AUDIO_PORTS)) {
        for (bool input : {true, false}) {
            clap_audio_port_info info = {};
            if (ports->count(plugin_, input) > 0 && ports->get(plugin_, 0, input, &info)) {
                (input ? inputs_ : outputs_) = static_cast<int>(info.channel_count);
                if (!input) supports64_ = (info.flags & CLAP_AUDIO_PORT_SUPPORTS_64BITS) != 0;
            }
        }
    }
    ReadParameters();
    ReadPrograms();
    return true;
}

HostedClap::~HostedClap() {
    CloseEditorWindow();
    StopAudio();
    if (plugin_ != nullptr) plugin_->destroy(plugin_);  // also after a failed init
    if (entryReady_) entry_->deinit();
    library_.Unload();
}

void HostedClap::ReadParameters() {
    const uint32_t count = paramsExt_ != nullptr ? paramsExt_->count(plugin_) : 0;
    for (uint32_t i = 0; i < count; ++i) {
        clap_param_info info = {};
        if (paramsExt_->get_info(plugin_, i, &info)) params_.push_back(info);
    }
}

void HostedClap::ReadPrograms() {
    const auto* factory = static_cast<const clap_preset_discovery_factory*>(
        entry_->get_factory(CLAP_PRESET_DISCOVERY_FACTORY_ID));
    if (factory == nullptr || presetLoad_ == nullptr) return;
    ProgramListing listing;
    clap_preset_discovery_indexer indexer = {};
    indexer.clap_version = CLAP_VERSION;
    indexer.name = "tavhost";
    indexer.indexer_data = &listing;
    indexer.declare_filetype = [](const clap_preset_discovery_indexer*,
                                  const clap_preset_discovery_filetype*) { return true; };
    indexer.declare_location = [](const clap_preset_discovery_indexer* self,
                                  const clap_preset_discovery_location* location) {
        // Programs inside the module are all we read.
        if (location->kind == CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN)
            ListingOf(self->indexer_data).locationDeclared = true;
        return true;
    };
    indexer.declare_soundpack = [](const clap_preset_discovery_indexer*,
                                   const clap_preset_discovery_soundpack*) { return true; };
    indexer.get_extension = [](const clap_preset_discovery_indexer*, const char*) -> const void* {
        return nullptr;
    };
    clap_preset_discovery_metadata_receiver receiver = {};
    receiver.receiver_data = &listing;
    receiver.begin_preset = [](const clap_preset_discovery_metadata_receiver* self,
                               const char* name, const char* key) {
        ListingOf(self->receiver_data).names.push_back(name != nullptr ? name : "");
        ListingOf(self->receiver_data).keys.push_back(key != nullptr ? key : "");
        return true;
    };
    const uint32_t providers = factory->count(factory);
    for (uint32_t i = 0; i < providers; ++i) {
        const clap_preset_discovery_provider_descriptor* d = factory->get_descriptor(factory, i);
        const clap_preset_discovery_provider* provider =
            d != nullptr ? factory->create(factory, &indexer, d->id) : nullptr;
        if (provider == nullptr) continue;
        if (provider->init(provider) && listing.locationDeclared) {
            provider->get_metadata(provider, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr,
                                   &receiver);
        }
        provider->destroy(provider);
    }
    programNames_ = listing.names;
    programKeys_ = listing.keys;
}

bool HostedClap::Supports(ProcessKind kind) const {
    if (kind == ProcessKind::Accumulating) return false;
    return kind == ProcessKind::Replacing || supports64_;
}

bool HostedClap::Activate(ProcessKind kind, std::string* error) {
    doubles_ = kind == ProcessKind::Double;
    if (!plugin_->activate(plugin_, settings_.sampleRate, 1,
                           static_cast<uint32_t>(settings_.blockSize))) {
        if (error != nullptr) *error = "the plug-in refused to activate";
        return false;
    }
    return true;
}

bool HostedClap::StartProcessing(std::string* error) {
    if (plugin_->start_processing(plugin_)) return true;
    if (error != nullptr) *error = "the plug-in refused to start processing";
    return false;
}

void HostedClap::RunProcess(float** in32, float** out32, double** in64, double** out64,
                            int frames) {
    const clap_event_transport transport = ClapTransport(TransportNow());
    clap_audio_buffer in = {}, out = {};
    // As hosts do: channels that hold one value throughout are marked so.
    const bool hasIn = in32 != nullptr || in64 != nullptr;
    for (int c = 0; hasIn && c < inputs_ && c < 64 && frames > 0; ++c) {
        bool constant = true;
        for (int f = 1; f < frames && constant; ++f) {
            constant = in32 != nullptr ? in32[c][f] == in32[c][0] : in64[c][f] == in64[c][0];
        }
        if (constant) in.constant_mask |= uint64_t{1} << c;
    }
    in.data32 = in32;
    in.data64 = in64;
    in.channel_count = static_cast<uint32_t>(inputs_);
    out.data32 = out32;
    out.data64 = out64;
    out.channel_count = static_cast<uint32_t>(outputs_);
    clap_process process = {};
    process.steady_time = steadyTime_;
    process.frames_count = static_cast<uint32_t>(frames);
    process.transport = &transport;
    process.audio_inputs = hasIn ? &in : nullptr;
    process.audio_inputs_count = hasIn ? 1 : 0;
    process.audio_outputs = &out;
    process.audio_outputs_count = 1;
    process.in_events = in_.Input();
    process.out_events = out_.Output();
    out_.Clear();
    {
        const AudioCallbackMark mark;
        lastStatus_ = plugin_->process(plugin_, &process);
    }
    lastMask_ = out.constant_mask;
    steadyTime_ += frames;
    in_.Clear();
}

void HostedClap::Process(ProcessKind kind, float** inputs, float** outputs, int frames) {
    if (kind != ProcessKind::Replacing || doubles_ || !Active()) return;
    RunProcess(inputs, outputs, nullptr, nullptr, frames);
}

void HostedClap::ProcessDouble(double** inputs, double** outputs, int frames) {
    if (!doubles_ || !Active()) return;
    RunProcess(nullptr, nullptr, inputs, outputs, frames);
}

void HostedClap::FlushChanges() {
    if (in_.Count() == 0 || paramsExt_ == nullptr) return;
    out_.Clear();
    {
        // While the plug-in is active, flush belongs to the audio thread (Render's).
        std::optional<AudioCallbackMark> mark;
        if (Active()) mark.emplace();
        paramsExt_->flush(plugin_, in_.Input(), out_.Output());
    }
    in_.Clear();
}

std::string HostedClap::ParamDisplay(int index) {
    FlushChanges();
    double value = 0.0;
    char text[CLAP_NAME_SIZE] = {};
    const clap_id id = params_[Index(index)].id;
    if (!paramsExt_->get_value(plugin_, id, &value) ||
        !paramsExt_->value_to_text(plugin_, id, value, text, sizeof text)) {
        return std::string();
    }
    return text;
}

double HostedClap::ParamValue(int index) {
    FlushChanges();
    const clap_param_info& info = params_[Index(index)];
    double value = 0.0;
    if (!paramsExt_->get_value(plugin_, info.id, &value)) return 0.0;
    const double range = info.max_value - info.min_value;
    return range > 0.0 ? (value - info.min_value) / range : 0.0;
}

void HostedClap::SetPlainValue(int index, double plain, int offset) {
    in_.AddParam(static_cast<uint32_t>(offset), params_[Index(index)].id, plain);
    // Without audio running the plug-in takes it through flush, at once.
    if (!Active()) FlushChanges();
}

void HostedClap::ResendParam(int index) {
    // What is still queued must reach the plug-in first, or get_value lags behind it.
    FlushChanges();
    double plain = 0.0;
    const clap_id id = params_[Index(index)].id;
    if (paramsExt_->get_value(plugin_, id, &plain)) in_.AddParam(0, id, plain);
}

void HostedClap::SetParamValue(int index, double unit) {
    SetParamValueAt(index, unit, 0);
}

void HostedClap::SetParamValueAt(int index, double unit, int offset) {
    const clap_param_info& info = params_[Index(index)];
    double plain = info.min_value + unit * (info.max_value - info.min_value);
    if ((info.flags & CLAP_PARAM_IS_STEPPED) != 0) plain = std::round(plain);
    SetPlainValue(index, plain, offset);
}

bool HostedClap::SetParameterText(int index, const std::string& text) {
    double plain = 0.0;
    if (!paramsExt_->text_to_value(plugin_, params_[Index(index)].id, text.c_str(), &plain))
        return false;
    SetPlainValue(index, plain);
    return true;
}

void HostedClap::SetProgram(int index) {
    if (index < 0 || index >= NumPrograms()) return;
    FlushChanges();
    if (presetLoad_->from_location(plugin_, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr,
                                   programKeys_[Index(index)].c_str())) {
        program_ = index;
    }
}

std::string HostedClap::ProgramName(int index) {
    return index >= 0 && index < NumPrograms() ? programNames_[Index(index)] : std::string();
}

std::vector<std::uint8_t> HostedClap::ReadState(bool) {
    claphost::Streams stream;
    if (state_ == nullptr || !state_->save(plugin_, stream.Out())) return {};
    return stream.Bytes();
}

bool HostedClap::WriteState(bool, const std::vector<std::uint8_t>& bytes) {
    claphost::Streams stream(bytes);
    return state_ != nullptr && state_->load(plugin_, stream.In());
}

bool HostedClap::ChooseProgramBesideAudio(int index) {
    return presetLoad_ != nullptr && index >= 0 && index < NumPrograms() &&
           presetLoad_->from_location(plugin_, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr,
                                      programKeys_[Index(index)].c_str());
}

bool HostedClap::EditorSize(int* width, int* height, std::string* error) {
    if (gui_ == nullptr) {
        *error = "the plug-in has no editor";
        return false;
    }
    if (!guiCreated_) {
        const char* api = nullptr;
        for (const char* candidate : {CLAP_WINDOW_API_WIN32, CLAP_WINDOW_API_X11}) {
            if (gui_->is_api_supported(plugin_, candidate, false)) {
                api = candidate;
                break;
            }
        }
        if (api == nullptr || !gui_->create(plugin_, api, false)) {
            *error = "the editor supports no embedded window of this platform";
            return false;
        }
        guiCreated_ = true;
    }
    uint32_t w = 0, h = 0;
    if (!gui_->get_size(plugin_, &w, &h)) {
        *error = "the plug-in gave no editor size";
        return false;
    }
    *width = static_cast<int>(w);
    *height = static_cast<int>(h);
    return true;
}

bool HostedClap::SetEditorScale(double factor, std::string* error) {
    if (!EditorReady(error)) return false;
    const bool ok = gui_->set_scale(plugin_, factor);
    if (!ok) *error = "the editor refused the scale factor";
    return ok;
}

bool HostedClap::OpenEditorIn(void* parent, std::string* error) {
    if (!EditorReady(error)) return false;
    clap_window window = {};
    bool preferFloating = false;
    gui_->get_preferred_api(plugin_, &window.api, &preferFloating);
    window.ptr = parent;  // the HWND, or the X11 window id in the same bytes
    host_.onResize = [this](int w, int h) { return onEditorResize && onEditorResize(w, h); };
    if (!gui_->set_parent(plugin_, &window) || !gui_->show(plugin_)) {
        CloseEditorWindow();
        *error = "the plug-in did not open its editor";
        return false;
    }
    return true;
}

void HostedClap::CloseEditorWindow() {
    if (!guiCreated_) return;
    gui_->hide(plugin_);
    gui_->destroy(plugin_);  // a new one for the next opening, as hosts do
    guiCreated_ = false;
}

std::vector<clap_remote_controls_page> HostedClap::RemoteControlPages() const {
    std::vector<clap_remote_controls_page> pages;
    const auto* controls = Extension<clap_plugin_remote_controls>(CLAP_EXT_REMOTE_CONTROLS);
    const uint32_t count = controls != nullptr ? controls->count(plugin_) : 0;
    for (uint32_t i = 0; i < count; ++i) {
        clap_remote_controls_page page = {};
        if (controls->get(plugin_, i, &page)) pages.push_back(page);
    }
    return pages;
}

bool HostedClap::PrintRemoteControls(std::ostream& out, std::string* error) {
    if (Extension<clap_plugin_remote_controls>(CLAP_EXT_REMOTE_CONTROLS) == nullptr) {
        *error = "the plug-in lists no remote-control pages";
        return false;
    }
    const std::vector<clap_remote_controls_page> pages = RemoteControlPages();
    out << "remote-control pages: " << pages.size() << "\n";
    for (const clap_remote_controls_page& page : pages) {
        out << "  page " << page.page_id << "  " << page.page_name << " (section "
            << page.section_name << ")" << (page.is_for_preset ? ", for the preset" : "") << "\n";
        for (uint32_t slot = 0; slot < CLAP_REMOTE_CONTROLS_COUNT; ++slot) {
            const clap_id id = page.param_ids[slot];
            out << "    " << slot + 1 << "  ";
            const auto known = std::find_if(params_.begin(), params_.end(),
                                            [id](const clap_param_info& p) { return p.id == id; });
            if (id == CLAP_INVALID_ID) {
                out << "-\n";
            } else {
                out << (known != params_.end() ? known->name : "(unknown)") << " [" << id << "]\n";
            }
        }
    }
    return true;
}

bool HostedClap::Indicate(int index, const ParamIndication& what, std::string* error) {
    const auto* indication = Extension<clap_plugin_param_indication>(CLAP_EXT_PARAM_INDICATION);
    if (indication == nullptr) {
        *error = "the plug-in shows no parameter indications";
        return false;
    }
    const clap_color color{static_cast<uint8_t>(what.argb >> 24),
                           static_cast<uint8_t>(what.argb >> 16),
                           static_cast<uint8_t>(what.argb >> 8), static_cast<uint8_t>(what.argb)};
    const clap_color* given = what.argb != 0 ? &color : nullptr;
    const clap_id id = params_[Index(index)].id;
    if (what.kind == ParamIndication::Kind::Mapping) {
        indication->set_mapping(plugin_, id, what.mapped, given, "tavhost", "tavhost's mapping");
    } else {
        indication->set_automation(plugin_, id, what.state, given);
    }
    return true;
}

namespace {

struct MenuCollector {
    std::vector<HostedClap::MenuItem>* items;
    bool submenus;
};

bool CollectItem(const clap_context_menu_builder* builder, uint32_t kind, const void* data) {
    auto& collector = *static_cast<MenuCollector*>(builder->ctx);
    HostedClap::MenuItem item;
    item.kind = kind;
    switch (kind) {
        case CLAP_CONTEXT_MENU_ITEM_ENTRY: {
            const auto* entry = static_cast<const clap_context_menu_entry*>(data);
            if (entry == nullptr || entry->label == nullptr) return false;
            item.label = entry->label;
            item.enabled = entry->is_enabled;
            item.action = entry->action_id;
            break;
        }
        case CLAP_CONTEXT_MENU_ITEM_CHECK_ENTRY: {
            const auto* entry = static_cast<const clap_context_menu_check_entry*>(data);
            if (entry == nullptr || entry->label == nullptr) return false;
            item.label = entry->label;
            item.enabled = entry->is_enabled;
            item.checked = entry->is_checked;
            item.action = entry->action_id;
            break;
        }
        case CLAP_CONTEXT_MENU_ITEM_BEGIN_SUBMENU:
        case CLAP_CONTEXT_MENU_ITEM_TITLE: {
            const auto* title = static_cast<const clap_context_menu_item_title*>(data);
            if (title == nullptr || title->title == nullptr) return false;
            item.label = title->title;
            item.enabled = title->is_enabled;
            break;
        }
        case CLAP_CONTEXT_MENU_ITEM_SEPARATOR:
        case CLAP_CONTEXT_MENU_ITEM_END_SUBMENU:
            break;
        default:
            return false;
    }
    collector.items->push_back(item);
    return true;
}

bool SupportsItem(const clap_context_menu_builder* builder, uint32_t kind) {
    const auto& collector = *static_cast<const MenuCollector*>(builder->ctx);
    const bool submenu =
        kind == CLAP_CONTEXT_MENU_ITEM_BEGIN_SUBMENU || kind == CLAP_CONTEXT_MENU_ITEM_END_SUBMENU;
    return kind <= CLAP_CONTEXT_MENU_ITEM_TITLE && (collector.submenus || !submenu);
}

}  // namespace

bool HostedClap::PluginMenu(const clap_context_menu_target* target, std::vector<MenuItem>* items,
                            bool submenus) {
    const auto* menu = Extension<clap_plugin_context_menu>(CLAP_EXT_CONTEXT_MENU);
    MenuCollector collector{items, submenus};
    const clap_context_menu_builder builder{&collector, CollectItem, SupportsItem};
    return menu != nullptr && menu->populate(plugin_, target, &builder);
}

namespace {
clap_context_menu_target MenuTarget(clap_id id, int index) {
    return index < 0 ? clap_context_menu_target{CLAP_CONTEXT_MENU_TARGET_KIND_GLOBAL, 0}
                     : clap_context_menu_target{CLAP_CONTEXT_MENU_TARGET_KIND_PARAM, id};
}
}  // namespace

bool HostedClap::PrintMenu(int index, std::ostream& out, std::string* error) {
    const clap_context_menu_target target =
        MenuTarget(index >= 0 ? params_[Index(index)].id : 0, index);
    std::vector<MenuItem> items;
    if (!PluginMenu(&target, &items)) {
        *error = "the plug-in put nothing into the menu";
        return false;
    }
    out << "menu for " << (index < 0 ? std::string("the plug-in") : ParamName(index)) << "\n";
    std::string indent = "  ";
    for (const MenuItem& item : items) {
        switch (item.kind) {
            case CLAP_CONTEXT_MENU_ITEM_BEGIN_SUBMENU:
                out << indent << item.label << " >\n";
                indent += "  ";
                break;
            case CLAP_CONTEXT_MENU_ITEM_END_SUBMENU:
                if (indent.size() > 2) indent.resize(indent.size() - 2);
                break;
            case CLAP_CONTEXT_MENU_ITEM_SEPARATOR:
                out << indent << "--\n";
                break;
            case CLAP_CONTEXT_MENU_ITEM_TITLE:
                out << indent << "# " << item.label << "\n";
                break;
            default:
                out << indent
                    << (item.kind == CLAP_CONTEXT_MENU_ITEM_CHECK_ENTRY
                            ? (item.checked ? "[x] " : "[ ] ")
                            : "")
                    << item.label << "  (action " << item.action
                    << (item.enabled ? "" : ", disabled") << ")\n";
        }
    }
    return true;
}

bool HostedClap::PerformMenu(int index, uint32_t action, std::string* error) {
    const auto* menu = Extension<clap_plugin_context_menu>(CLAP_EXT_CONTEXT_MENU);
    const clap_context_menu_target target =
        MenuTarget(index >= 0 ? params_[Index(index)].id : 0, index);
    if (menu == nullptr || !menu->perform(plugin_, &target, action)) {
        *error = "the plug-in refused menu action " + std::to_string(action);
        return false;
    }
    return true;
}

void HostedClap::PrintIdentity(std::ostream& out) {
    std::string features;
    for (const char* const* f = descriptor_->features; f != nullptr && *f != nullptr; ++f) {
        features += features.empty() ? "" : " ";
        features += *f;
    }
    const clap_version& v = entry_->clap_version;
    out << "format        CLAP " << v.major << "." << v.minor << "." << v.revision << "\n"
        << "id            " << descriptor_->id << "\n"
        << "effect        " << descriptor_->name << "\n"
        << "vendor        " << descriptor_->vendor << "\n"
        << "version       " << descriptor_->version << "\n"
        << "features      " << features << "\n";
}

void HostedClap::PrintDetails(std::ostream& out) {
    const auto* latency = Extension<clap_plugin_latency>(CLAP_EXT_LATENCY);
    const auto* tail = Extension<clap_plugin_tail>(CLAP_EXT_TAIL);
    out << "sample sizes  " << SampleSizes() << "\n"
        << "latency       " << (latency != nullptr ? latency->get(plugin_) : 0) << "\n"
        << "tail          " << (tail != nullptr ? tail->get(plugin_) : 0) << "\n";
}

void HostedClap::PrintHostCalls(std::ostream& out) {
    out << "  params rescan          " << host_.rescans << "\n"
        << "  params request_flush   " << host_.flushRequests << "\n"
        << "  state mark_dirty       " << host_.dirtyMarks << "\n"
        << "  preset-load loaded     " << host_.presetsLoaded << "\n"
        << "  preset-load on_error   " << host_.presetErrors << "\n"
        << "  pages changed          " << host_.pageChanges << "\n";
}

}  // namespace tav
