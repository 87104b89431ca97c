// The UI binary's one export, lv2ui_descriptor, and the C calls behind it. No
// exception may reach the host.
#include <lv2/core/lv2.h>

#include <cstring>

#include "lv2/lv2_ports.h"
#include "lv2/lv2_ui.h"

namespace tav::lv2 {
namespace {

Lv2Ui* From(LV2UI_Handle handle) {
    return static_cast<Lv2Ui*>(handle);
}

// Every call of a UI is its host's UI thread's, the one that instantiated it.
Lv2Ui* From(LV2UI_Handle handle, const char* entry) {
    Lv2Ui* ui = From(handle);
    if (ui != nullptr) ui->Roles().Check(entry, ThreadRole::Main);
    return ui;
}

LV2UI_Handle Instantiate(const LV2UI_Descriptor*, const char* pluginUri, const char*,
                         LV2UI_Write_Function write, LV2UI_Controller controller,
                         LV2UI_Widget* widget, const LV2_Feature* const* features) {
    try {
        Lv2Ui* ui = Lv2Ui::Create(pluginUri, write, controller, widget, features);
        if (ui != nullptr) ui->Roles().NoteMain();
        return ui;
    } catch (...) {
        return nullptr;
    }
}

void Cleanup(LV2UI_Handle handle) {
    delete From(handle, "ui cleanup");
}

void PortEvent(LV2UI_Handle handle, uint32_t port, uint32_t size, uint32_t format,
               const void* buffer) {
    if (handle != nullptr) From(handle, "ui port_event")->PortEvent(port, size, format, buffer);
}

int Idle(LV2UI_Handle handle) {
    return handle != nullptr ? From(handle, "ui idle")->Idle() : 1;
}

uint32_t GetOptions(LV2_Handle handle, LV2_Options_Option* options) {
    return handle != nullptr ? From(handle, "ui options.get")->GetOptions(options)
                             : static_cast<uint32_t>(LV2_OPTIONS_ERR_UNKNOWN);
}

uint32_t SetOptions(LV2_Handle handle, const LV2_Options_Option* options) {
    return handle != nullptr ? From(handle, "ui options.set")->SetOptions(options)
                             : static_cast<uint32_t>(LV2_OPTIONS_ERR_UNKNOWN);
}

const LV2UI_Idle_Interface kIdle = {Idle};
const LV2_Options_Interface kOptions = {GetOptions, SetOptions};

const void* ExtensionData(const char* uri) {
    if (uri == nullptr) return nullptr;
    if (std::strcmp(uri, LV2_UI__idleInterface) == 0) return &kIdle;
    if (std::strcmp(uri, LV2_OPTIONS__interface) == 0) return &kOptions;
    return nullptr;
}

const LV2UI_Descriptor kDescriptor = {kUiUri, Instantiate, Cleanup, PortEvent, ExtensionData};

}  // namespace
}  // namespace tav::lv2

LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index) {
    return index == 0 ? &tav::lv2::kDescriptor : nullptr;
}
