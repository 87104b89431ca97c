// One LV2 plug-in as a host sees it, through lilv (Linux only): found in its bundle
// or by its URI, instantiated with the features hosts give (URID map and unmap,
// options with the block length and rate, bounded block length, log), its control
// ports as parameters, its presets as programs, the host's transport as
// time:Position objects on its control port, and its X11 UI in a host window.
#pragma once

#include <lilv/lilv.h>
#include <lv2/atom/forge.h>
#include <lv2/log/log.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <cstdarg>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/hosted_plugin.h"
#include "host/plugin_library.h"

namespace tav {

class HostedLv2 final : public HostedFormat<HostedLv2> {
  public:
    ~HostedLv2() override;

    int NumInputs() const override { return static_cast<int>(audioIn_.size()); }
    int NumOutputs() const override { return static_cast<int>(audioOut_.size()); }
    bool Supports(ProcessKind kind) const override { return kind == ProcessKind::Replacing; }
    // The rate is the instance's for good: a new instance at the new rate, on the
    // same control ports.
    bool ChangeSampleRate(double rate, std::string* error) override;
    void Process(ProcessKind kind, float** inputs, float** outputs, int frames) override;
    void ProcessDouble(double**, double**, int) override {}

    // Numbers are port indices; units are positions on each port's range.
    int NumParams() const override { return static_cast<int>(params_.size()); }
    int ParamNumber(int index) override { return static_cast<int>(Param(index).port); }
    std::string ParamName(int index) override { return Param(index).name; }
    std::string ParamLabel(int index) override { return Param(index).unit; }
    std::string ParamDisplay(int index) override;
    double ParamValue(int index) override;
    void SetParamValue(int index, double unit) override;
    // Later in the block: the block runs in slices, the port set between them.
    void SetParamValueAt(int index, double unit, int offset) override;
    bool TakesChangesInBlock() const override { return true; }
    // A control port holds its value until changed: nothing to send again.
    void ResendParam(int) override {}
    // A scale point's label, or a number (clamped into the range, rounded on
    // integer ports).
    bool SetParameterText(int index, const std::string& text) override;

    int NumPrograms() const override { return static_cast<int>(presets_.size()); }
    int Program() override { return program_; }
    void SetProgram(int index) override;
    std::string ProgramName(int index) override;

    // An LV2 plug-in has no VST 2 chunk to take a preset file's into.
    bool LoadPresetFile(FxFile file, const std::vector<std::uint8_t>& bytes,
                        std::string* error) override;

    // The UI knows its size only once open (it says so through ui:resize): until
    // then the size it last had, or a small window it grows from.
    bool EditorSize(int* width, int* height, std::string* error) override;
    bool SetEditorScale(double factor, std::string* error) override;
    bool OpenEditorIn(void* parent, std::string* error) override;
    void CloseEditorWindow() override;
    void EditorIdle() override;
    // The UI is fed from the control ports, which the audio thread writes between
    // runs: LV2 leaves ports to that thread, and tavhost has no queue in between.
    // (No state interface either: beside the audio only the audio runs.)
    std::string EditorBesideAudioRefusal() override {
        return "the LV2 UI reads the control ports the audio thread writes";
    }
    bool ReloadStateBesideAudio() override { return false; }

  private:
    struct ParamPort {
        uint32_t port = 0;
        std::string name, symbol, unit;
        float min = 0.0f, max = 1.0f;
        bool stepped = false;
        std::vector<std::pair<float, std::string>> scalePoints;
    };
    struct Preset {
        std::string uri, label;
    };
    // What the host last said on the control port, to say it again only on change.
    struct SentPosition {
        bool sent = false;
        bool playing = false;
        double tempo = 0.0;
    };

    friend class HostedFormat<HostedLv2>;
    HostedLv2() = default;
    const ParamPort& Param(int index) const { return params_[Index(index)]; }
    // path: a bundle folder (its first plug-in), or a plug-in URI looked up in
    // LV2_PATH or lilv's default folders.
    bool Create(const std::string& path, std::string* error) override;
    bool Activate(ProcessKind kind, std::string* error) override;
    void Deactivate() override { lilv_instance_deactivate(instance_); }
    // The control ports' values as Turtle (lilv_state_to_string): a preset of
    // this plug-in that WriteState takes back.
    std::vector<std::uint8_t> ReadState(bool bank) override;
    bool WriteState(bool bank, const std::vector<std::uint8_t>& bytes) override;
    void PrintIdentity(std::ostream& out) override;
    const char* ProgramsNote() const override { return " (presets)"; }
    void PrintDetails(std::ostream& out) override;
    void PrintHostCalls(std::ostream& out) override;
    void ReadPorts();
    void ReadPresets();
    void BuildFeatures();
    void SetPortBySymbol(const char* symbol, float value);
    void SetPort(uint32_t port, float value);
    float PlainValue(int index, double unit) const;
    void ConnectPorts();
    // The block's control sequence: a time:Position at frame 0 when the transport
    // started, jumped, stopped, played on or changed tempo.
    void WriteControlSequence();
    LilvNode* Uri(const char* uri);

    static LV2_URID MapCall(LV2_URID_Map_Handle handle, const char* uri);
    static const char* UnmapCall(LV2_URID_Unmap_Handle handle, LV2_URID urid);
    static int LogCall(LV2_Log_Handle handle, LV2_URID type, const char* fmt, ...);
    static int LogVCall(LV2_Log_Handle handle, LV2_URID type, const char* fmt, va_list ap);
    LV2_URID Map(const char* uri);

    // The UI's calls.
    static void UiWriteCall(LV2UI_Controller controller, uint32_t port, uint32_t size,
                            uint32_t protocol, const void* buffer);
    static int UiResizeCall(LV2UI_Feature_Handle handle, int width, int height);
    static void UiTouchCall(LV2UI_Feature_Handle handle, uint32_t port, bool grabbed);
    // Control values the UI has not seen yet, through its port_event.
    void SendPortEvents();

    LilvWorld* world_ = nullptr;
    const LilvPlugin* plugin_ = nullptr;
    LilvInstance* instance_ = nullptr;
    std::vector<LilvNode*> nodes_;  // freed with the world

    std::mutex mapMutex_;
    std::vector<std::string> uris_;  // URID n is uris_[n - 1]
    std::unordered_map<std::string, LV2_URID> urids_;
    LV2_URID_Map map_ = {};
    LV2_URID_Unmap unmap_ = {};
    LV2_Log_Log log_ = {};
    int32_t minBlock_ = 1, maxBlock_ = 0;
    float sampleRate_ = 0.0f;
    std::vector<LV2_Options_Option> options_;
    std::vector<LV2_Feature> featureStore_;
    std::vector<const LV2_Feature*> features_;

    std::vector<float> controls_;  // one value per port; audio ports leave theirs unused
    std::vector<uint32_t> audioIn_, audioOut_;
    std::vector<ParamPort> params_;
    std::vector<std::pair<uint32_t, std::string>> portList_;  // for PrintInfo
    int32_t controlPort_ = -1;
    std::vector<uint64_t> sequence_;  // 8-byte aligned, as atoms want
    struct PortChange {
        int offset;
        uint32_t port;
        float value;
    };
    std::vector<PortChange> pending_;  // for the next block
    LV2_Atom_Forge forge_ = {};
    struct TimeUrids {
        LV2_URID frameTime, position, frame, speed, bpm, beatsPerBar, beatUnit, bar, barBeat, beat;
    } timeUrids_ = {};
    SentPosition sentPosition_;
    int positionsSent_ = 0;

    std::vector<Preset> presets_;
    int program_ = 0;

    // The UI.
    PluginLibrary uiLibrary_;
    const LV2UI_Descriptor* uiDescriptor_ = nullptr;
    std::string uiUri_, uiBinary_, uiBundle_;
    LV2UI_Handle ui_ = nullptr;
    const LV2UI_Idle_Interface* uiIdle_ = nullptr;
    const LV2_Options_Interface* uiOptions_ = nullptr;
    LV2UI_Resize resize_ = {};
    LV2UI_Touch touch_ = {};
    float scaleFactor_ = 1.0f;
    std::vector<float> uiSeen_;  // the control values the UI was last told
    int uiWidth_ = 0, uiHeight_ = 0;
    int uiWrites_ = 0, uiTouches_ = 0, uiResizes_ = 0, logMessages_ = 0;
};

}  // namespace tav
