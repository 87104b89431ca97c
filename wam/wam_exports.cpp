// The module's C functions, the only way in from the worklet: instances by
// handle (a slot number, never a pointer the page could forge), each call
// checked, refusals as 0, -1 or NaN. Pointers handed out are into the module's
// own memory, for the worklet's typed views.
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "core/plugin_param.h"
#include "wam/web_param_info.h"
#include "wam/web_plugin.h"

#define TAV_EXPORT(name) extern "C" __attribute__((export_name(#name)))

namespace tav::web {
namespace {

constexpr int kSlots = 64;
constexpr size_t kTextBytes = 256;

// What one handle holds beside its instance: the scratch the worklet reads
// records and texts from and writes texts and state bytes into.
struct Slot {
    std::unique_ptr<WebPlugin> plugin;
    WebParamInfo info = {};
    char text[kTextBytes] = {};
    std::vector<uint8_t> saved;
    std::vector<uint8_t> loading;
};

Slot* slots[kSlots] = {};

Slot* SlotOf(int32_t handle) {
    return handle >= 1 && handle <= kSlots ? slots[handle - 1] : nullptr;
}

WebPlugin* PluginOf(int32_t handle) {
    Slot* slot = SlotOf(handle);
    return slot != nullptr ? slot->plugin.get() : nullptr;
}

uint32_t IdOf(double id) {
    return id >= 0.0 && id <= 0xFFFFFFFFu ? static_cast<uint32_t>(id) : 0xFFFFFFFFu;
}

}  // namespace
}  // namespace tav::web

using namespace tav::web;

TAV_EXPORT(tav_create) int32_t tav_create(double sampleRate, int32_t maxFrames) {
    for (int i = 0; i < kSlots; ++i) {
        if (slots[i] != nullptr) continue;
        std::unique_ptr<WebPlugin> plugin = WebPlugin::Create(sampleRate, maxFrames);
        if (!plugin) return 0;
        slots[i] = new (std::nothrow) Slot;
        if (slots[i] == nullptr) return 0;
        slots[i]->plugin = std::move(plugin);
        return i + 1;
    }
    return 0;
}

TAV_EXPORT(tav_destroy) int32_t tav_destroy(int32_t handle) {
    Slot* slot = SlotOf(handle);
    if (slot == nullptr) return 0;
    slots[handle - 1] = nullptr;
    delete slot;
    return 1;
}

TAV_EXPORT(tav_input) float* tav_input(int32_t handle, int32_t channel) {
    WebPlugin* plugin = PluginOf(handle);
    return plugin != nullptr && (channel == 0 || channel == 1) ? plugin->Input(channel) : nullptr;
}

TAV_EXPORT(tav_output) float* tav_output(int32_t handle, int32_t channel) {
    WebPlugin* plugin = PluginOf(handle);
    return plugin != nullptr && (channel == 0 || channel == 1) ? plugin->Output(channel) : nullptr;
}

TAV_EXPORT(tav_changes) WebChange* tav_changes(int32_t handle) {
    WebPlugin* plugin = PluginOf(handle);
    return plugin != nullptr ? plugin->Changes() : nullptr;
}

TAV_EXPORT(tav_max_changes) int32_t tav_max_changes() {
    return WebPlugin::kMaxChanges;
}

TAV_EXPORT(tav_set_transport)
int32_t tav_set_transport(int32_t handle, double tempo, int32_t numerator, int32_t denominator,
                          int32_t playing, double songBeats, double samplePosition) {
    WebPlugin* plugin = PluginOf(handle);
    if (plugin == nullptr) return 0;
    plugin->SetTransport(tempo, numerator, denominator, playing != 0, songBeats, samplePosition);
    return 1;
}

TAV_EXPORT(tav_process) int32_t tav_process(int32_t handle, int32_t frames, int32_t changeCount) {
    WebPlugin* plugin = PluginOf(handle);
    return plugin != nullptr && plugin->Process(frames, changeCount) ? 1 : 0;
}

TAV_EXPORT(tav_refused_changes) int32_t tav_refused_changes(int32_t handle) {
    WebPlugin* plugin = PluginOf(handle);
    return plugin != nullptr ? plugin->RefusedChanges() : 0;
}

TAV_EXPORT(tav_param_count) int32_t tav_param_count(int32_t handle) {
    WebPlugin* plugin = PluginOf(handle);
    return plugin != nullptr ? plugin->Params().Count() : 0;
}

TAV_EXPORT(tav_param_info) WebParamInfo* tav_param_info(int32_t handle, int32_t position) {
    Slot* slot = SlotOf(handle);
    if (slot == nullptr || !DescribeParam(slot->plugin->Params(), position, slot->info))
        return nullptr;
    return &slot->info;
}

TAV_EXPORT(tav_text) char* tav_text(int32_t handle) {
    Slot* slot = SlotOf(handle);
    return slot != nullptr ? slot->text : nullptr;
}

TAV_EXPORT(tav_text_bytes) int32_t tav_text_bytes() {
    return static_cast<int32_t>(kTextBytes);
}

// A plain value's text, into the text scratch, as it would be applied: bounded
// and snapped to the step. The length, or -1.
TAV_EXPORT(tav_value_text) int32_t tav_value_text(int32_t handle, double id, double plain) {
    Slot* slot = SlotOf(handle);
    if (slot == nullptr || !std::isfinite(plain)) return -1;
    const tav::HostParams params = slot->plugin->Params();
    const uint32_t hostId = IdOf(id);
    if (const tav::PluginParam* param = params.EffectParam(hostId))
        plain = param->PlainForUnit(param->UnitOf(plain));
    char text[tav::PluginParam::kTextSize] = {};
    if (!params.Text(hostId, plain, text, sizeof text)) return -1;
    return CopyCut(slot->text, sizeof slot->text, text);
}

// What the text in the scratch (ended by a zero) gives; NaN for nothing.
TAV_EXPORT(tav_text_value) double tav_text_value(int32_t handle, double id) {
    Slot* slot = SlotOf(handle);
    double plain = 0.0;
    if (slot == nullptr) return NAN;
    slot->text[kTextBytes - 1] = '\0';
    return slot->plugin->Params().Parse(IdOf(id), slot->text, plain) ? plain : NAN;
}

TAV_EXPORT(tav_value) double tav_value(int32_t handle, double id) {
    WebPlugin* plugin = PluginOf(handle);
    double plain = 0.0;
    return plugin != nullptr && plugin->Value(IdOf(id), plain) ? plain : NAN;
}

TAV_EXPORT(tav_edit) int32_t tav_edit(int32_t handle, double id, double plain) {
    WebPlugin* plugin = PluginOf(handle);
    return plugin != nullptr && plugin->Edit(IdOf(id), plain) ? 1 : 0;
}

TAV_EXPORT(tav_program_count) int32_t tav_program_count() {
    return WebPlugin::ProgramCount();
}

TAV_EXPORT(tav_program_name) int32_t tav_program_name(int32_t handle, int32_t program) {
    Slot* slot = SlotOf(handle);
    const char* name = WebPlugin::ProgramName(program);
    return slot != nullptr && name != nullptr ? CopyCut(slot->text, sizeof slot->text, name) : -1;
}

TAV_EXPORT(tav_select_program) int32_t tav_select_program(int32_t handle, int32_t program) {
    WebPlugin* plugin = PluginOf(handle);
    return plugin != nullptr && plugin->SelectProgram(program) ? 1 : 0;
}

// The state's size, its bytes at tav_state_data; -1 when it could not be saved.
TAV_EXPORT(tav_state_save) int32_t tav_state_save(int32_t handle) {
    Slot* slot = SlotOf(handle);
    if (slot == nullptr) return -1;
    slot->saved.clear();
    if (!slot->plugin->SaveState(slot->saved)) return -1;
    return static_cast<int32_t>(slot->saved.size());
}

TAV_EXPORT(tav_state_data) const uint8_t* tav_state_data(int32_t handle) {
    Slot* slot = SlotOf(handle);
    return slot != nullptr ? slot->saved.data() : nullptr;
}

// Room for a state of size bytes, for the worklet to fill before tav_state_load.
TAV_EXPORT(tav_state_room) uint8_t* tav_state_room(int32_t handle, int32_t size) {
    Slot* slot = SlotOf(handle);
    if (slot == nullptr || size < 1 || static_cast<size_t>(size) > WebPlugin::kMaxStateBytes)
        return nullptr;
    slot->loading.assign(static_cast<size_t>(size), 0);
    return slot->loading.data();
}

TAV_EXPORT(tav_state_load) int32_t tav_state_load(int32_t handle, int32_t size) {
    Slot* slot = SlotOf(handle);
    if (slot == nullptr || size < 1 || static_cast<size_t>(size) != slot->loading.size()) return 0;
    const bool loaded = slot->plugin->LoadState(slot->loading);
    slot->loading.clear();
    return loaded ? 1 : 0;
}
