#include "tests/lv2/lv2_ui_host.h"

#include <dlfcn.h>
#include <lv2/atom/atom.h>

#include <cstring>

#include "lv2/lv2_ports.h"

namespace tav::lv2test {

using namespace tav::lv2;

std::unique_ptr<Lv2UiHost> Lv2UiHost::Load(const std::string& binary, std::string* error) {
    std::unique_ptr<Lv2UiHost> host(new Lv2UiHost());
    host->pluginUri = kPluginUri;
    host->library_ = dlopen(binary.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (host->library_ == nullptr) {
        *error = dlerror();
        return nullptr;
    }
    auto entry =
        reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(host->library_, "lv2ui_descriptor"));
    host->descriptor_ = entry != nullptr ? entry(0) : nullptr;
    if (host->descriptor_ == nullptr) {
        *error = "no lv2ui_descriptor(0)";
        return nullptr;
    }
    return host;
}

Lv2UiHost::~Lv2UiHost() {
    CloseEditorWindow();
    if (library_ != nullptr) dlclose(library_);
}

uint32_t Lv2UiHost::Map(const char* uri) {
    for (size_t i = 0; i < uris_.size(); ++i) {
        if (uris_[i] == uri) return static_cast<uint32_t>(i + 1);
    }
    uris_.emplace_back(uri);
    return static_cast<uint32_t>(uris_.size());
}

LV2_URID Lv2UiHost::MapUri(LV2_URID_Map_Handle handle, const char* uri) {
    return static_cast<Lv2UiHost*>(handle)->Map(uri);
}

void Lv2UiHost::WritePort(LV2UI_Controller controller, uint32_t port, uint32_t size,
                          uint32_t protocol, const void* buffer) {
    auto* host = static_cast<Lv2UiHost*>(controller);
    float value = NAN;
    if (size == sizeof value && protocol == 0) std::memcpy(&value, buffer, sizeof value);
    std::lock_guard<std::mutex> lock(host->eventsMutex_);
    host->events_.push_back({UiEvent::Write, port, value});
    if (const int index = ParamOfPort(port); index >= 0) host->model_.Param(index)->value = value;
}

void Lv2UiHost::Touch(LV2UI_Feature_Handle handle, uint32_t port, bool grabbed) {
    auto* host = static_cast<Lv2UiHost*>(handle);
    std::lock_guard<std::mutex> lock(host->eventsMutex_);
    host->events_.push_back({grabbed ? UiEvent::TouchOn : UiEvent::TouchOff, port, 0.0f});
}

int Lv2UiHost::Resize(LV2UI_Feature_Handle handle, int width, int height) {
    auto* host = static_cast<Lv2UiHost*>(handle);
    if (host->onEditorResize && !host->onEditorResize(width, height)) return 1;
    host->width_ = width;
    host->height_ = height;
    return 0;
}

LV2UI_Handle Lv2UiHost::Instantiate(void* parent, LV2UI_Widget* widget) {
    // The feature data the UI keeps lives as long as it does (members).
    map_ = {this, MapUri};
    resize_ = {this, Resize};
    touch_ = {this, Touch};
    const float scale = features.scaleFactor;
    const LV2_Options_Option options[] = {{LV2_OPTIONS_INSTANCE, 0, Map(LV2_UI__scaleFactor),
                                           sizeof scale, Map(LV2_ATOM__Float), &scale},
                                          {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
    const LV2_Feature parentFeature{LV2_UI__parent, parent};
    const LV2_Feature mapFeature{LV2_URID__map, &map_};
    const LV2_Feature resizeFeature{LV2_UI__resize, &resize_};
    const LV2_Feature touchFeature{LV2_UI__touch, &touch_};
    const LV2_Feature idleFeature{LV2_UI__idleInterface, nullptr};
    const LV2_Feature optionsFeature{LV2_OPTIONS__options,
                                     const_cast<LV2_Options_Option*>(options)};
    std::vector<const LV2_Feature*> list = {&mapFeature};
    if (features.parent) list.push_back(&parentFeature);
    if (features.resize) list.push_back(&resizeFeature);
    if (features.touch) list.push_back(&touchFeature);
    if (features.idle) list.push_back(&idleFeature);
    if (features.scaleFactor > 0) list.push_back(&optionsFeature);
    list.push_back(nullptr);
    return descriptor_->instantiate(descriptor_, pluginUri.c_str(), "", WritePort, this, widget,
                                    list.data());
}

void Lv2UiHost::SendPort(uint32_t port, float plain) {
    if (handle_ != nullptr) descriptor_->port_event(handle_, port, sizeof plain, 0, &plain);
}

uint32_t Lv2UiHost::SetScaleOption(float factor) {
    const auto* iface = static_cast<const LV2_Options_Interface*>(
        descriptor_->extension_data(LV2_OPTIONS__interface));
    if (iface == nullptr || handle_ == nullptr) return LV2_OPTIONS_ERR_UNKNOWN;
    const LV2_Options_Option options[] = {{LV2_OPTIONS_INSTANCE, 0, Map(LV2_UI__scaleFactor),
                                           sizeof factor, Map(LV2_ATOM__Float), &factor},
                                          {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
    return iface->set(handle_, options);
}

std::vector<UiEvent> Lv2UiHost::Events() const {
    std::lock_guard<std::mutex> lock(eventsMutex_);
    return events_;
}

void Lv2UiHost::ClearEvents() {
    std::lock_guard<std::mutex> lock(eventsMutex_);
    events_.clear();
}

bool Lv2UiHost::EditorSize(int* width, int* height, std::string*) {
    *width = width_;
    *height = height_;
    return true;
}

bool Lv2UiHost::SetEditorScale(double factor, std::string*) {
    features.scaleFactor = static_cast<float>(factor);
    return true;
}

bool Lv2UiHost::OpenEditorIn(void* parent, std::string* error) {
    CloseEditorWindow();
    LV2UI_Widget widget = nullptr;
    handle_ = Instantiate(parent, &widget);
    if (handle_ == nullptr) {
        *error = "instantiate refused";
        return false;
    }
    if (widget == nullptr) *error = "no widget";
    idle_ = static_cast<const LV2UI_Idle_Interface*>(
        descriptor_->extension_data(LV2_UI__idleInterface));
    // As hosts do once a UI is up: every control port's current value.
    for (int i = 0; i < NumParams(); ++i) SendPort(kPortFirstParam + i, model_.Param(i)->value);
    return widget != nullptr;
}

void Lv2UiHost::CloseEditorWindow() {
    if (handle_ == nullptr) return;
    descriptor_->cleanup(handle_);
    handle_ = nullptr;
    idle_ = nullptr;
}

void Lv2UiHost::EditorIdle() {
    if (handle_ != nullptr && idle_ != nullptr) idle_->idle(handle_);
}

std::string Lv2UiHost::ParamDisplay(int index) {
    char text[64] = {};
    model_.Param(index)->FormatValue(model_.Param(index)->value, false, text, sizeof text);
    return text;
}

double Lv2UiHost::ParamValue(int index) {
    std::lock_guard<std::mutex> lock(eventsMutex_);
    return model_.Param(index)->CurrentUnit();
}

void Lv2UiHost::SetParamValue(int index, double unit) {
    PluginParam* param = model_.Param(index);
    param->SetFromUnit(unit);
    SendPort(kPortFirstParam + static_cast<uint32_t>(index), static_cast<float>(param->value));
}

void Lv2UiHost::SetProgram(int index) {
    model_.SelectPreset(index);
    for (int i = 0; i < NumParams(); ++i) SendPort(kPortFirstParam + i, model_.Param(i)->value);
}

}  // namespace tav::lv2test
