#include "lv2/lv2_ui_core.h"

#include "effect/extra_settings.h"
#include "lv2/lv2_ports.h"

namespace tav::lv2 {
namespace {

uint32_t PortOfParam(int index) {
    return kPortFirstParam + static_cast<uint32_t>(index);
}

}  // namespace

void Lv2UiCore::HostBeginEdit(int index) {
    EndPendingEdit();
    if (sink_ == nullptr || index < 0 || index >= kMaxParams || touched_.test(index)) return;
    touched_.set(index);
    sink_->TouchPort(PortOfParam(index), true);
}

// Ports carry plain values: the one the parameter takes for the editor's position.
void Lv2UiCore::HostAutomate(int index, double unit) {
    const PluginParam* param = Param(index);
    if (sink_ == nullptr || param == nullptr || index >= kMaxParams) return;
    sink_->WritePort(PortOfParam(index), static_cast<float>(param->PlainForUnit(unit)));
}

void Lv2UiCore::HostEndEdit(int index) {
    if (sink_ == nullptr || index < 0 || index >= kMaxParams || !touched_.test(index)) return;
    touched_.reset(index);
    sink_->TouchPort(PortOfParam(index), false);
}

void Lv2UiCore::HostSettingEdited(int setting, double value) {
    if (sink_ != nullptr && IsExtraSetting(setting))
        sink_->WritePort(kSettingPorts[setting], static_cast<float>(SettingStep(value)));
}

bool Lv2UiCore::ChangeEditorScale(int percent) {
    return sink_ != nullptr ? sink_->RequestScale(percent)
                            : IEffectCore::ChangeEditorScale(percent);
}

void Lv2UiCore::ReleaseTouches() {
    for (int i = 0; i < kMaxParams; ++i) HostEndEdit(i);
}

}  // namespace tav::lv2
