// A small LV2 UI host, as a DAW's: the UI binary dlopened, its descriptor
// instantiated with a parent window and the features we choose, port events sent
// as plain values and what the UI writes and touches recorded. As a
// PluginInstance it fits our host window (host/editor_window), whose input and
// screenshots the other editor tests use too.
#pragma once

#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "effect/phaser_effect.h"
#include "host/plugin_instance.h"
#include "tests/support/recording_host.h"

namespace tav::lv2test {

// What the host offers the next instantiate.
struct UiFeatures {
    float scaleFactor = 0.0f;  // ui:scaleFactor; 0: no option
    bool idle = true;          // the ui:idleInterface feature
    bool touch = true;
    bool resize = true;
    bool parent = true;
};

// One thing the UI told the host.
struct UiEvent {
    enum Kind { Write, TouchOn, TouchOff } kind;
    uint32_t port;
    float value;  // written
};

class Lv2UiHost final : public PluginInstance {
  public:
    static std::unique_ptr<Lv2UiHost> Load(const std::string& binary, std::string* error);
    ~Lv2UiHost() override;

    UiFeatures features;
    std::string pluginUri;

    const LV2UI_Descriptor* Descriptor() const { return descriptor_; }
    // A new UI in parent with the features above (none: the parent is refused).
    LV2UI_Handle Instantiate(void* parent, LV2UI_Widget* widget);
    LV2UI_Handle Handle() const { return handle_; }
    void SendPort(uint32_t port, float plain);
    // Through options:interface while the UI is open; its status.
    uint32_t SetScaleOption(float factor);
    std::vector<UiEvent> Events() const;
    void ClearEvents();

    // PluginInstance: the editor, and the parameters as the ports carry them.
    bool EditorSize(int* width, int* height, std::string* error) override;
    bool SetEditorScale(double factor, std::string* error) override;
    bool OpenEditorIn(void* parent, std::string* error) override;
    void CloseEditorWindow() override;
    void EditorIdle() override;
    int NumParams() const override { return model_.ParamCount(); }
    std::string ParamName(int index) override { return model_.Param(index)->Name(); }
    std::string ParamLabel(int) override { return {}; }
    std::string ParamDisplay(int index) override;
    double ParamValue(int index) override;
    void SetParamValue(int index, double unit) override;
    void ResendParam(int index) override { SetParamValue(index, ParamValue(index)); }
    bool SetParameterText(int, const std::string&) override { return false; }
    // A program as a host applies one: every parameter's plain value to its port.
    int NumPrograms() const override { return model_.PresetCount(); }
    int Program() override { return model_.CurrentPreset(); }
    void SetProgram(int index) override;
    std::string ProgramName(int index) override { return model_.PresetName(index); }

    // No audio here: the DSP binary's tests have it.
    int NumInputs() const override { return 0; }
    int NumOutputs() const override { return 0; }
    bool Supports(ProcessKind) const override { return false; }
    bool StartAudio(ProcessKind, std::string*) override { return false; }
    void StopAudio() override {}
    void Process(ProcessKind, float**, float**, int) override {}
    void ProcessDouble(double**, double**, int) override {}
    std::vector<std::uint8_t> SaveState(bool) override { return {}; }
    bool LoadState(bool, const std::vector<std::uint8_t>&) override { return false; }
    const char* StateName(bool) const override { return "state"; }
    void PrintInfo(const std::string&, std::ostream&) override {}
    void PrintRequests(std::ostream&) override {}

  private:
    Lv2UiHost() = default;
    uint32_t Map(const char* uri);
    static LV2_URID MapUri(LV2_URID_Map_Handle handle, const char* uri);
    static void WritePort(LV2UI_Controller controller, uint32_t port, uint32_t size,
                          uint32_t protocol, const void* buffer);
    static void Touch(LV2UI_Feature_Handle handle, uint32_t port, bool grabbed);
    static int Resize(LV2UI_Feature_Handle handle, int width, int height);

    void* library_ = nullptr;
    const LV2UI_Descriptor* descriptor_ = nullptr;
    LV2UI_Handle handle_ = nullptr;
    const LV2UI_Idle_Interface* idle_ = nullptr;
    std::vector<std::string> uris_;
    LV2_URID_Map map_{};
    LV2UI_Resize resize_{};
    LV2UI_Touch touch_{};
    // The parameters' ranges and programs, and what the ports last carried.
    PhaserEffect<test::RecordingHost> model_;
    mutable std::mutex eventsMutex_;  // a UI running itself writes from its thread
    std::vector<UiEvent> events_;
    int width_ = 1, height_ = 1;  // as the UI last asked, once taken
};

}  // namespace tav::lv2test
