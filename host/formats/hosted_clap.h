// One CLAP plug-in as a host sees it: the module's clap_entry, the first audio
// effect in its factory made and initialised, its programs found through the
// preset-discovery factory, and audio driven block by block.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "clap/clap_abi.h"
#include "clap/clap_abi_controls.h"
#include "clap/clap_abi_presets.h"
#include "host/formats/clap_host_objects.h"
#include "host/hosted_plugin.h"
#include "host/plugin_library.h"

namespace tav {

// Whether path names a CLAP module: a .clap file, or a binary exporting clap_entry.
bool IsClapModule(const std::string& path);

class HostedClap final : public HostedParamList<HostedClap, clap::clap_param_info> {
  public:
    // Orderly: processing and activation off, destroy, deinit, unload.
    ~HostedClap() override;

    const clap::clap_plugin_descriptor& Descriptor() const { return *descriptor_; }
    const clap::clap_plugin* Plugin() const { return plugin_; }
    const clap::clap_plugin_entry* Entry() const { return entry_; }
    claphost::Host& HostRecord() { return host_; }
    // Events for the next block, and what the plug-in sent back in the last one.
    claphost::EventList& PendingEvents() { return in_; }
    const claphost::EventList& SentEvents() const { return out_; }
    int32_t LastStatus() const { return lastStatus_; }
    uint64_t LastConstantMask() const { return lastMask_; }

    bool Supports(ProcessKind kind) const override;
    void Process(ProcessKind kind, float** inputs, float** outputs, int frames) override;
    void ProcessDouble(double** inputs, double** outputs, int frames) override;

    // Units are positions on each parameter's plain range; stepped ones round.
    std::string ParamName(int index) override { return params_[Index(index)].name; }
    std::string ParamLabel(int) override { return std::string(); }
    std::string ParamDisplay(int index) override;
    double ParamValue(int index) override;
    void SetParamValue(int index, double unit) override;
    void SetParamValueAt(int index, double unit, int offset) override;
    bool TakesChangesInBlock() const override { return true; }
    void SetPlainValue(int index, double plain, int offset = 0);
    // A value event at time 0 of the next block with the plug-in's plain value.
    void ResendParam(int index) override;
    bool SetParameterText(int index, const std::string& text) override;

    int NumPrograms() const override { return static_cast<int>(programNames_.size()); }
    int Program() override { return program_; }
    void SetProgram(int index) override;
    std::string ProgramName(int index) override;

    bool EditorSize(int* width, int* height, std::string* error) override;
    bool SetEditorScale(double factor, std::string* error) override;
    bool OpenEditorIn(void* parent, std::string* error) override;
    void CloseEditorWindow() override;
    void EditorIdle() override { host_.Pump(); }

    // remote-controls: the pages the plug-in lists, in order.
    std::vector<clap::clap_remote_controls_page> RemoteControlPages() const;
    bool PrintRemoteControls(std::ostream& out, std::string* error) override;
    // param-indication, by position in the parameter list.
    bool Indicate(int index, const ParamIndication& indication, std::string* error) override;

    // context-menu: what the plug-in puts into a host's menu for a target, as a
    // builder that takes every kind of item collects it.
    struct MenuItem {
        uint32_t kind = 0;
        std::string label;
        bool enabled = false;
        bool checked = false;
        clap::clap_id action = clap::CLAP_INVALID_ID;
    };
    bool PluginMenu(const clap::clap_context_menu_target* target, std::vector<MenuItem>* items,
                    bool submenus = true);
    bool PrintMenu(int index, std::ostream& out, std::string* error) override;
    bool PerformMenu(int index, uint32_t action, std::string* error) override;

    // State and preset-load are main-thread calls: the stress thread plays it.
    bool ChooseProgramBesideAudio(int index) override;

  private:
    friend class HostedFormat<HostedClap>;
    HostedClap() = default;
    bool Create(const std::string& path, std::string* error) override;
    template <class T>
    const T* Extension(const char* id) const;
    void ReadParameters();
    void ReadPrograms();
    bool Activate(ProcessKind kind, std::string* error) override;
    bool StartProcessing(std::string* error) override;
    void StopProcessing() override { plugin_->stop_processing(plugin_); }
    void Deactivate() override { plugin_->deactivate(plugin_); }
    // Parameter events not yet delivered: through flush when no audio runs.
    void FlushChanges() override;
    void RunProcess(float** in32, float** out32, double** in64, double** out64, int frames);
    std::vector<std::uint8_t> ReadState(bool bank) override;
    bool WriteState(bool bank, const std::vector<std::uint8_t>& bytes) override;

    // The descriptor, sample sizes, latency and tail; the host calls the plug-in
    // made, counted.
    void PrintIdentity(std::ostream& out) override;
    void PrintDetails(std::ostream& out) override;
    void PrintHostCalls(std::ostream& out) override;

    PluginLibrary library_;
    claphost::Host host_;
    const clap::clap_plugin_entry* entry_ = nullptr;
    bool entryReady_ = false;
    const clap::clap_plugin_descriptor* descriptor_ = nullptr;
    const clap::clap_plugin* plugin_ = nullptr;
    bool pluginReady_ = false;
    const clap::clap_plugin_params* paramsExt_ = nullptr;
    const clap::clap_plugin_state* state_ = nullptr;
    const clap::clap_plugin_preset_load* presetLoad_ = nullptr;
    const clap::clap_plugin_gui* gui_ = nullptr;
    bool guiCreated_ = false;
    std::vector<std::string> programNames_, programKeys_;
    int program_ = 0;
    bool supports64_ = false;
    bool doubles_ = false;
    int64_t steadyTime_ = 0;
    claphost::EventList in_, out_;
    int32_t lastStatus_ = 0;
    uint64_t lastMask_ = 0;
};

}  // namespace tav
