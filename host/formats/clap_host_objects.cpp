#include "host/formats/clap_host_objects.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace tav::claphost {

using namespace clap;

namespace {

const EventList& ListOf(const void* ctx) {
    return *static_cast<const EventList*>(ctx);
}

Host& HostOf(const clap_host* host) {
    return *static_cast<Host*>(host->host_data);
}

void Rescan(const clap_host* host, uint32_t) {
    ++HostOf(host).rescans;
}
void Clear(const clap_host*, clap_id, uint32_t) {}
void RequestFlush(const clap_host* host) {
    ++HostOf(host).flushRequests;
}
void MarkDirty(const clap_host* host) {
    ++HostOf(host).dirtyMarks;
}
void PresetError(const clap_host* host, uint32_t, const char*, const char*, int32_t, const char*) {
    ++HostOf(host).presetErrors;
}
void PresetLoaded(const clap_host* host, uint32_t, const char*, const char*) {
    ++HostOf(host).presetsLoaded;
}

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool RegisterTimer(const clap_host* host, uint32_t period, clap_id* id) {
    if (id == nullptr) return false;
    Host& self = HostOf(host);
    *id = self.nextTimer_++;
    self.timers_.push_back({*id, std::max<uint32_t>(period, 1), NowMs() + period});
    return true;
}

bool UnregisterTimer(const clap_host* host, clap_id id) {
    auto& timers = HostOf(host).timers_;
    const auto it = std::find_if(timers.begin(), timers.end(),
                                 [id](const Host::Timer& t) { return t.id == id; });
    if (it == timers.end()) return false;
    timers.erase(it);
    return true;
}

bool RegisterFd(const clap_host* host, int fd, uint32_t) {
    auto& fds = HostOf(host).fds_;
    if (fd < 0 || std::find(fds.begin(), fds.end(), fd) != fds.end()) return false;
    fds.push_back(fd);
    return true;
}

bool ModifyFd(const clap_host* host, int fd, uint32_t) {
    auto& fds = HostOf(host).fds_;
    return std::find(fds.begin(), fds.end(), fd) != fds.end();
}

bool UnregisterFd(const clap_host* host, int fd) {
    auto& fds = HostOf(host).fds_;
    const auto it = std::find(fds.begin(), fds.end(), fd);
    if (it == fds.end()) return false;
    fds.erase(it);
    return true;
}

// The editor's own resizes, which a new scale needs, go to the host's window.
bool RequestResize(const clap_host* host, uint32_t width, uint32_t height) {
    const Host& self = HostOf(host);
    return self.onResize && self.onResize(static_cast<int>(width), static_cast<int>(height));
}
bool Refuse(const clap_host*) {
    return false;
}
void HintsChanged(const clap_host*) {}
void Closed(const clap_host*, bool) {}

void PagesChanged(const clap_host* host) {
    ++HostOf(host).pageChanges;
}
void SuggestPage(const clap_host* host, clap_id) {
    ++HostOf(host).pageSuggestions;
}

// A title over the host's entries, as DAWs head their part of a plug-in's menu.
bool PopulateMenu(const clap_host* host, const clap_context_menu_target* target,
                  const clap_context_menu_builder* builder) {
    if (builder == nullptr || builder->add_item == nullptr ||
        (target != nullptr && target->kind > CLAP_CONTEXT_MENU_TARGET_KIND_PARAM))
        return false;
    const clap_context_menu_item_title title{"tavhost", true};
    if (!builder->add_item(builder, CLAP_CONTEXT_MENU_ITEM_TITLE, &title)) return false;
    for (const Host::MenuEntry& entry : HostOf(host).menuEntries) {
        const clap_context_menu_entry item{entry.label.c_str(), true, entry.action};
        if (!builder->add_item(builder, CLAP_CONTEXT_MENU_ITEM_ENTRY, &item)) return false;
    }
    return true;
}

bool PerformMenu(const clap_host* host, const clap_context_menu_target*, clap_id action) {
    Host& self = HostOf(host);
    for (const Host::MenuEntry& entry : self.menuEntries) {
        if (entry.action != action) continue;
        self.menuPerformed.push_back(action);
        return true;
    }
    return false;
}

bool CannotPopup(const clap_host*) {
    return false;
}
bool NoPopup(const clap_host*, const clap_context_menu_target*, int32_t, int32_t, int32_t) {
    return false;
}

const clap_host_params kParams = {Rescan, Clear, RequestFlush};
const clap_host_remote_controls kRemoteControls = {PagesChanged, SuggestPage};
const clap_host_context_menu kContextMenu = {PopulateMenu, PerformMenu, CannotPopup, NoPopup};
const clap_host_gui kGui = {HintsChanged, RequestResize, Refuse, Refuse, Closed};
const clap_host_timer_support kTimers = {RegisterTimer, UnregisterTimer};
const clap_host_posix_fd_support kFds = {RegisterFd, ModifyFd, UnregisterFd};
const clap_host_state kState = {MarkDirty};
const clap_host_preset_load kPresetLoad = {PresetError, PresetLoaded};

const void* HostExtension(const clap_host* host, const char* id) {
    if (id == nullptr) return nullptr;
    if (HostOf(host).LendsRunLoop()) {
        if (std::strcmp(id, CLAP_EXT_TIMER_SUPPORT) == 0) return &kTimers;
        if (std::strcmp(id, CLAP_EXT_POSIX_FD_SUPPORT) == 0) return &kFds;
    }
    if (std::strcmp(id, CLAP_EXT_PARAMS) == 0) return &kParams;
    if (std::strcmp(id, CLAP_EXT_STATE) == 0) return &kState;
    if (std::strcmp(id, CLAP_EXT_PRESET_LOAD) == 0) return &kPresetLoad;
    if (std::strcmp(id, CLAP_EXT_GUI) == 0) return &kGui;
    if (std::strcmp(id, CLAP_EXT_REMOTE_CONTROLS) == 0) return &kRemoteControls;
    if (std::strcmp(id, CLAP_EXT_CONTEXT_MENU) == 0 && !HostOf(host).menuEntries.empty())
        return &kContextMenu;
    return nullptr;
}

void Nothing(const clap_host*) {}

}  // namespace

EventList::EventList() {
    input_.ctx = this;
    input_.size = [](const clap_input_events* list) { return ListOf(list->ctx).Count(); };
    input_.get = [](const clap_input_events* list, uint32_t index) {
        return ListOf(list->ctx).At(index);
    };
    output_.ctx = this;
    output_.try_push = [](const clap_output_events* list, const clap_event_header* event) {
        if (event == nullptr || event->size < sizeof(clap_event_header)) return false;
        static_cast<EventList*>(list->ctx)->Add(*event);
        return true;
    };
}

void EventList::Add(const clap_event_header& event) {
    const size_t at = bytes_.size();
    const size_t size = std::max<size_t>(event.size, sizeof event);
    bytes_.resize(at + (size + 7) / 8);
    std::memcpy(bytes_.data() + at, &event, size);
    offsets_.push_back(at);
}

void EventList::AddParam(uint32_t time, clap_id id, double value) {
    clap_event_param_value event = {};
    event.header = {sizeof event, time, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
    event.param_id = id;
    event.note_id = -1;
    event.port_index = event.channel = event.key = -1;
    event.value = value;
    Add(event.header);
}

const clap_event_header* EventList::At(uint32_t index) const {
    if (index >= offsets_.size()) return nullptr;
    return reinterpret_cast<const clap_event_header*>(bytes_.data() + offsets_[index]);
}

Streams::Streams(std::vector<uint8_t> bytes, uint64_t perCall)
    : bytes_(std::move(bytes)), perCall_(perCall) {
    in_.ctx = this;
    in_.read = [](const clap_istream* stream, void* buffer, uint64_t size) -> int64_t {
        auto& self = *static_cast<Streams*>(stream->ctx);
        uint64_t n = std::min<uint64_t>(size, self.bytes_.size() - self.readAt_);
        if (self.perCall_ > 0) n = std::min(n, self.perCall_);
        if (n > 0) std::memcpy(buffer, self.bytes_.data() + self.readAt_, n);
        self.readAt_ += n;
        return static_cast<int64_t>(n);
    };
    out_.ctx = this;
    out_.write = [](const clap_ostream* stream, const void* buffer, uint64_t size) -> int64_t {
        auto& self = *static_cast<Streams*>(stream->ctx);
        uint64_t n = self.perCall_ > 0 ? std::min(size, self.perCall_) : size;
        const auto* data = static_cast<const uint8_t*>(buffer);
        self.bytes_.insert(self.bytes_.end(), data, data + n);
        return static_cast<int64_t>(n);
    };
}

Host::Host() {
    record_ = clap_host{CLAP_VERSION, this,          "tavhost", "Tavrellion", "",
                        "1.0",        HostExtension, Nothing,   Nothing,      Nothing};
}

void Host::Pump() {
    if (plugin_ == nullptr) return;
    const auto* timers = static_cast<const clap_plugin_timer_support*>(
        plugin_->get_extension(plugin_, CLAP_EXT_TIMER_SUPPORT));
    const auto* fds = static_cast<const clap_plugin_posix_fd_support*>(
        plugin_->get_extension(plugin_, CLAP_EXT_POSIX_FD_SUPPORT));
    // Copies: the callbacks may unregister.
    for (const int fd : std::vector<int>(fds_)) {
        if (fds != nullptr) fds->on_fd(plugin_, fd, CLAP_POSIX_FD_READ);
    }
    const int64_t now = NowMs();
    for (const Timer timer : std::vector<Timer>(timers_)) {
        if (timers == nullptr || timer.dueMs > now) continue;
        for (Timer& t : timers_) {
            if (t.id == timer.id) t.dueMs = now + t.periodMs;
        }
        timers->on_timer(plugin_, timer.id);
    }
}

}  // namespace tav::claphost
