#include "tools/clap_host_objects.h"

#include <algorithm>
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

const clap_host_params kParams = {Rescan, Clear, RequestFlush};
const clap_host_state kState = {MarkDirty};
const clap_host_preset_load kPresetLoad = {PresetError, PresetLoaded};

const void* HostExtension(const clap_host*, const char* id) {
    if (id == nullptr) return nullptr;
    if (std::strcmp(id, CLAP_EXT_PARAMS) == 0) return &kParams;
    if (std::strcmp(id, CLAP_EXT_STATE) == 0) return &kState;
    if (std::strcmp(id, CLAP_EXT_PRESET_LOAD) == 0) return &kPresetLoad;
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

}  // namespace tav::claphost
