// One VST 3 plug-in as a host sees it: the module loaded from its bundle, a
// processor and its controller made from the factory as separate objects,
// connected to each other and to us, and driven block by block.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/formats/vst3_host_objects.h"
#include "host/formats/vst3_plug_frame.h"
#include "host/hosted_plugin.h"
#include "host/plugin_library.h"

namespace tav {

// Holds the one reference the plug-in handed over.
struct Vst3Release {
    void operator()(vst3::FUnknown* object) const {
        if (object != nullptr) object->release();
    }
};
template <class I>
using Vst3Ref = std::unique_ptr<I, Vst3Release>;

// A class id as text: l1 l2 l3 l4 in upper-case hex, the same on every platform.
std::string Vst3CidText(const vst3::TUID cid);

// Whether path names a VST 3 module: a bundle, a .vst3 file, or a binary that
// exports GetPluginFactory and no VST 2 entry point.
bool IsVst3Module(const std::string& path);

class HostedVst3 final : public HostedParamList<HostedVst3, vst3::ParameterInfo> {
  public:
    // Orderly: processing and activation off, disconnect, terminate, release, exit.
    ~HostedVst3() override;

    const vst3::PFactoryInfo& FactoryInfo() const { return factoryInfo_; }
    const vst3::PClassInfo2& ClassInfo() const { return classInfo_; }
    const vst3::TUID& ControllerCid() const { return controllerCid_; }
    vst3::IComponent* Component() const { return component_.get(); }
    vst3::IAudioProcessor* Processor() const { return processor_.get(); }
    vst3::IEditController* Controller() const { return controller_.get(); }
    vst3host::RecordingHandler& Handler() { return handler_; }

    bool Supports(ProcessKind kind) const override;
    void Process(ProcessKind kind, float** inputs, float** outputs, int frames) override;
    void ProcessDouble(double** inputs, double** outputs, int frames) override;

    std::string ParamName(int index) override;
    std::string ParamLabel(int index) override;
    std::string ParamDisplay(int index) override;
    double ParamValue(int index) override;
    // The controller takes the value at once, the processor at the start of the
    // next block (or of a parameter-only call, when state is read or written).
    void SetParamValue(int index, double unit) override;
    void SetParamValueAt(int index, double unit, int offset) override;
    bool TakesChangesInBlock() const override { return true; }
    // A change at offset 0 of the next block with the controller's value.
    void ResendParam(int index) override;
    // Through the controller's getParamValueByString, then as SetParamValue.
    bool SetParameterText(int index, const std::string& text) override;

    // The unit's program list, selected through the program-change parameter.
    int NumPrograms() const override { return static_cast<int>(programNames_.size()); }
    int Program() override;
    void SetProgram(int index) override;
    std::string ProgramName(int index) override;

    // The controller's view "editor", in the first window type it supports (HWND,
    // then X11); on X11 its frame lends our run loop unless the settings say not.
    bool EditorSize(int* width, int* height, std::string* error) override;
    bool SetEditorScale(double factor, std::string* error) override;
    bool OpenEditorIn(void* parent, std::string* error) override;
    void CloseEditorWindow() override;
    void EditorIdle() override { runLoop_.Pump(0); }
    vst3::IPlugView* View() const { return view_.get(); }
    const vst3host::RunLoop& EditorRunLoop() const { return runLoop_; }

  private:
    friend class HostedFormat<HostedVst3>;
    HostedVst3() = default;
    // Loads the module (a bundle folder or its binary), calls its entry, makes
    // the first audio effect class and its controller, initialises and connects
    // them, and asks for stereo in and out.
    bool Create(const std::string& path, std::string* error) override;
    void ReadParameters();
    void ReadPrograms();
    // setupProcessing (32 or 64-bit), setActive, setProcessing; and back.
    bool Activate(ProcessKind kind, std::string* error) override;
    bool StartProcessing(std::string* error) override;
    void StopProcessing() override { processor_->setProcessing(0); }
    void Deactivate() override { component_->setActive(0); }
    // Delivers pending parameter changes in a call without audio.
    void FlushChanges() override;
    void RunProcess(vst3::int32 sampleSize, void** inputs, void** outputs, int frames);
    // The component's state; loading hands it to the controller too, as a project
    // reload does. Programs change through a parameter, which belongs to Render's
    // queue, so none beside the audio.
    std::vector<std::uint8_t> ReadState(bool bank) override;
    bool WriteState(bool bank, const std::vector<std::uint8_t>& bytes) override;

    // The factory's and the class's identity, sample sizes, latency and tail; the
    // controller's calls of our component handler, in order.
    void PrintIdentity(std::ostream& out) override;
    void PrintDetails(std::ostream& out) override;
    void PrintHostCalls(std::ostream& out) override;

    std::string binary_;
    PluginLibrary library_;
    vst3host::HostApplication host_;
    vst3host::RecordingHandler handler_;
    vst3host::ParamChanges changes_;
    Vst3Ref<vst3::IPluginFactory> factory_;
    Vst3Ref<vst3::IComponent> component_;
    Vst3Ref<vst3::IAudioProcessor> processor_;
    Vst3Ref<vst3::IEditController> controller_;
    Vst3Ref<vst3::IUnitInfo> units_;
    Vst3Ref<vst3::IConnectionPoint> componentPoint_, controllerPoint_;
    bool componentReady_ = false, controllerReady_ = false;  // initialised
    vst3::PFactoryInfo factoryInfo_ = {};
    vst3::PClassInfo2 classInfo_ = {};
    vst3::TUID controllerCid_ = {};
    vst3::int32 sampleSize_ = vst3::kSample32;
    int programParam_ = -1;  // position of the program-change parameter
    vst3::ProgramListID programList_ = vst3::kNoProgramListId;
    std::vector<std::string> programNames_;
    vst3host::RunLoop runLoop_;
    std::unique_ptr<vst3host::PlugFrame> frame_;
    Vst3Ref<vst3::IPlugView> view_;
};

}  // namespace tav
