#include "lv2/lv2_ui.h"

#include <lv2/atom/atom.h>

#include <cmath>
#include <cstring>
#include <new>

#include "core/editor_link.h"
#include "editor/editor_surface.h"

namespace tav::lv2 {
namespace {

const void* FeatureData(const LV2_Feature* const* features, const char* uri, bool* present) {
    for (const LV2_Feature* const* f = features; f != nullptr && *f != nullptr; ++f) {
        if ((*f)->URI != nullptr && std::strcmp((*f)->URI, uri) == 0) {
            if (present != nullptr) *present = true;
            return (*f)->data;
        }
    }
    return nullptr;
}

bool EndOfOptions(const LV2_Options_Option& option) {
    return option.key == 0 && option.value == nullptr;
}

}  // namespace

Lv2Ui* Lv2Ui::Create(const char* pluginUri, LV2UI_Write_Function write, LV2UI_Controller controller,
                     LV2UI_Widget* widget, const LV2_Feature* const* features) {
    if (pluginUri == nullptr || std::strcmp(pluginUri, kPluginUri) != 0 || write == nullptr ||
        widget == nullptr) {
        return nullptr;
    }
    void* parent = const_cast<void*>(FeatureData(features, LV2_UI__parent, nullptr));
    if (parent == nullptr) return nullptr;
    std::unique_ptr<Lv2Ui> ui(new (std::nothrow) Lv2Ui());
    if (!ui) return nullptr;
    ui->write_ = write;
    ui->controller_ = controller;
    if (!ui->Open(parent, features, widget)) return nullptr;
    return ui.release();
}

bool Lv2Ui::Open(void* parent, const LV2_Feature* const* features, LV2UI_Widget* widget) {
    effect_ = MakeUiPhaser();
    if (!effect_ || effect_->Editor() == nullptr) return false;
    effect_->SetEditSink(this);
    resize_ = static_cast<const LV2UI_Resize*>(FeatureData(features, LV2_UI__resize, nullptr));
    if (resize_ != nullptr && resize_->ui_resize == nullptr) resize_ = nullptr;
    touch_ = static_cast<const LV2UI_Touch*>(FeatureData(features, LV2_UI__touch, nullptr));
    if (touch_ != nullptr && touch_->touch == nullptr) touch_ = nullptr;
    if (const auto* map =
            static_cast<const LV2_URID_Map*>(FeatureData(features, LV2_URID__map, nullptr));
        map != nullptr && map->map != nullptr) {
        scaleFactorKey_ = map->map(map->handle, LV2_UI__scaleFactor);
        floatType_ = map->map(map->handle, LV2_ATOM__Float);
    }
    const auto* options = static_cast<const LV2_Options_Option*>(
        FeatureData(features, LV2_OPTIONS__options, nullptr));
    for (const LV2_Options_Option* o = options; o != nullptr && !EndOfOptions(*o); ++o) {
        if (const int percent = ScaleOf(*o)) face_.ApplyScale(*effect_, percent, nullptr);
    }
    // A host that offers idle calls makes them: the window needs no thread of its own.
    bool hostIdles = false;
    FeatureData(features, LV2_UI__idleInterface, &hostIdles);
    if (!face_.Open(*effect_, parent, hostIdles ? this : nullptr)) return false;
    IEditorLink* editor = effect_->Editor();
    auto* surface = dynamic_cast<EditorSurface*>(editor);
    *widget = surface != nullptr ? surface->NativeHandle() : nullptr;
    if (resize_ != nullptr) resize_->ui_resize(resize_->handle, editor->Width(), editor->Height());
    return true;
}

Lv2Ui::~Lv2Ui() {
    if (!effect_) return;
    ReleaseTouches();
    face_.Close(*effect_);
    effect_->SetEditSink(nullptr);
}

void Lv2Ui::PortEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer) {
    if (format != 0 || size != sizeof(float) || buffer == nullptr) return;
    float plain = 0.0f;
    std::memcpy(&plain, buffer, sizeof plain);
    if (!std::isfinite(plain)) return;
    CoreLockGuard guard(&effect_->Lock());
    if (const int index = ParamOfPort(port); index >= 0) {
        if (const PluginParam* param = effect_->Param(index))
            effect_->ApplyHostParamChange(index, param->UnitOf(plain));
    } else if (SettingOfPort(port) >= 0) {
        effect_->ApplySetting(SettingOfPort(port), plain);
    }
}

int Lv2Ui::Idle() {
    // Hosts that call without offering ui:idleInterface (Qtractor) drive the face
    // from their first call on: the window's own thread goes.
    if (face_.TakeHostLoop(*effect_, this)) {
        face_.HostIdle(*effect_);
    } else if (IEditorLink* editor = effect_->Editor()) {
        // As a VST 2 host's idle call: the window's own thread steps aside meanwhile.
        editor->Idle();
    }
    return 0;
}

int Lv2Ui::ScaleOf(const LV2_Options_Option& option) const {
    if (scaleFactorKey_ == 0 || option.key != scaleFactorKey_ || option.type != floatType_ ||
        option.size != sizeof(float) || option.value == nullptr) {
        return 0;
    }
    float factor = 0.0f;
    std::memcpy(&factor, option.value, sizeof factor);
    return NearestEditorScale(factor);
}

uint32_t Lv2Ui::GetOptions(LV2_Options_Option* options) const {
    uint32_t status = LV2_OPTIONS_SUCCESS;
    for (LV2_Options_Option* o = options; o != nullptr && !EndOfOptions(*o); ++o) {
        if (scaleFactorKey_ == 0 || o->key != scaleFactorKey_) {
            status |= LV2_OPTIONS_ERR_BAD_KEY;
            continue;
        }
        o->size = sizeof(float);
        o->type = floatType_;
        scaleFactor_ = static_cast<float>(effect_->Editor()->ScalePercent()) / 100.0f;
        o->value = &scaleFactor_;
    }
    return status;
}

uint32_t Lv2Ui::SetOptions(const LV2_Options_Option* options) {
    uint32_t status = LV2_OPTIONS_SUCCESS;
    for (const LV2_Options_Option* o = options; o != nullptr && !EndOfOptions(*o); ++o) {
        if (scaleFactorKey_ == 0 || o->key != scaleFactorKey_) {
            status |= LV2_OPTIONS_ERR_BAD_KEY;
        } else if (const int percent = ScaleOf(*o); percent == 0 || !ChangeEditorScale(percent)) {
            status |= LV2_OPTIONS_ERR_BAD_VALUE;
        }
    }
    return status;
}

void Lv2Ui::BeginEdit(int param) {
    if (param < 0 || param >= static_cast<int>(touched_.size()) || touched_.test(param)) return;
    touched_.set(param);
    TouchPort(PortOf({HostParamRole::Effect, param}), true);
}

// Ports carry plain values: the one the parameter takes for the editor's position.
void Lv2Ui::PerformEdit(int param, double unit) {
    const PluginParam* plugin = effect_->Param(param);
    if (plugin == nullptr || param >= static_cast<int>(touched_.size())) return;
    WritePort(PortOf({HostParamRole::Effect, param}),
              static_cast<float>(plugin->PlainForUnit(unit)));
}

void Lv2Ui::EndEdit(int param) {
    if (param < 0 || param >= static_cast<int>(touched_.size()) || !touched_.test(param)) return;
    touched_.reset(param);
    TouchPort(PortOf({HostParamRole::Effect, param}), false);
}

void Lv2Ui::SettingEdited(int setting, double value) {
    if (IsExtraSetting(setting))
        WritePort(PortOf({HostParamRole::Setting, setting}),
                  static_cast<float>(SettingStep(value)));
}

void Lv2Ui::ReleaseTouches() {
    for (int i = 0; i < static_cast<int>(touched_.size()); ++i) EndEdit(i);
}

void Lv2Ui::WritePort(uint32_t port, float value) {
    write_(controller_, port, sizeof value, 0, &value);
}

void Lv2Ui::TouchPort(uint32_t port, bool grabbed) {
    if (touch_ != nullptr) touch_->touch(touch_->handle, port, grabbed);
}

bool Lv2Ui::ChangeEditorScale(int percent) {
    return face_.ApplyScale(*effect_, percent, [this](int width, int height) {
        return resize_ != nullptr && resize_->ui_resize(resize_->handle, width, height) == 0;
    });
}

}  // namespace tav::lv2
