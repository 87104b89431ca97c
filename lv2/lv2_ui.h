// The face as an LV2 X11 UI: embedded in the host's parent window, talking to the
// plug-in through ports only, driven by the host's idle calls when it makes them.
#pragma once

#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <bitset>
#include <memory>

#include "core/edit_sink.h"
#include "core/thread_roles.h"
#include "editor/embedded_editor.h"
#include "lv2/lv2_ports.h"
#include "lv2/lv2_ui_effect.h"

namespace tav::lv2 {

class Lv2Ui final : private EditSink, private IHostLoop {
  public:
    // The open face, or none: no parent window (or one that is not a window), no
    // memory, or another plug-in's UI asked for.
    static Lv2Ui* Create(const char* pluginUri, LV2UI_Write_Function write,
                         LV2UI_Controller controller, LV2UI_Widget* widget,
                         const LV2_Feature* const* features);
    ~Lv2Ui();
    Lv2Ui(const Lv2Ui&) = delete;
    Lv2Ui& operator=(const Lv2Ui&) = delete;

    // A control port's plain value from the host.
    void PortEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer);
    // ui:idleInterface: the window's work of the moment; 0 while the UI lives on.
    int Idle();
    // options:interface: ui:scaleFactor, now and later.
    uint32_t GetOptions(LV2_Options_Option* options) const;
    uint32_t SetOptions(const LV2_Options_Option* options);
    ThreadRoles& Roles() { return roles_; }

  private:
    Lv2Ui() = default;
    bool Open(void* parent, const LV2_Feature* const* features, LV2UI_Widget* widget);
    // The percent of a ui:scaleFactor option; 0 for any other option or nonsense.
    int ScaleOf(const LV2_Options_Option& option) const;

    // EditSink: all the host hears goes through ports (plain values, gestures as
    // ui:touch), so that hosts running the UI in another process see the same.
    void BeginEdit(int param) override;
    void PerformEdit(int param, double unit) override;
    void EndEdit(int param) override;
    void SettingEdited(int setting, double value) override;
    bool ChangeEditorScale(int percent) override;
    void WritePort(uint32_t port, float value);
    void TouchPort(uint32_t port, bool grabbed);
    // Ends every gesture the host still holds open (the UI is going away).
    void ReleaseTouches();
    // IHostLoop: the host's idle calls stand for both the timer and the watch on
    // the X connection, so both are taken as lent.
    bool StartTimer(uint32_t) override { return true; }
    bool WatchDescriptor(int) override { return true; }
    void StopAll() override {}

    std::unique_ptr<Lv2UiPhaser> effect_;
    EmbeddedEditor face_;
    LV2UI_Write_Function write_ = nullptr;
    LV2UI_Controller controller_ = nullptr;
    const LV2UI_Resize* resize_ = nullptr;
    const LV2UI_Touch* touch_ = nullptr;
    LV2_URID scaleFactorKey_ = 0;
    LV2_URID floatType_ = 0;
    ThreadRoles roles_{"lv2", "UI thread"};
    std::bitset<kPortEnabled - kPortFirstParam> touched_;  // gestures the host holds open
    mutable float scaleFactor_ = 1.0f;                     // where GetOptions points the host
};

}  // namespace tav::lv2
