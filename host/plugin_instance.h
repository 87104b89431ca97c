// A loaded plug-in as tavhost drives it, whatever its format: parameters,
// programs and state by position, audio for Render, its reports, and the one
// transport every format reports from. HostedVst2, HostedVst3, HostedClap and
// (on Linux) HostedLv2 implement it through HostedPlugin; OpenPlugin picks one by
// the file.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "host/host_transport.h"

namespace tav {

// What this host tells a plug-in about itself and its transport.
struct HostSettings {
    std::string productString = "tavhost";
    std::string vendorString = "Tavrellion";
    int vendorVersion = 10000;
    double sampleRate = 44100.0;
    int blockSize = 512;
    double tempo = 120.0;  // 0 or less: the host reports no tempo
    int timeSigNumerator = 4;
    int timeSigDenominator = 4;
    TransportPlan transport;  // ramp, start beat, loop and pauses
    // VST 3 editors on Linux: the view's frame lends the host's run loop.
    bool vst3RunLoop = true;
};

// The transport a plug-in hosted with these settings hears.
inline HostTransport MakeTransport(const HostSettings& s) {
    return HostTransport(s.sampleRate, s.tempo, s.timeSigNumerator, s.timeSigDenominator,
                         s.transport);
}

// Replacing and double are 32- and 64-bit processing; accumulating is VST 2's
// old callback that adds to its outputs.
enum class ProcessKind { Replacing, Accumulating, Double };

// VST 2 preset files: one program (.fxp) or a bank of every program (.fxb).
enum class FxFile { Program, Bank };

// What a host shows on a parameter's control: a hardware controller mapped to it,
// or its automation's state (CLAP's param-indication). argb 0: the plug-in picks
// the colour.
struct ParamIndication {
    enum class Kind { Mapping, Automation };
    Kind kind = Kind::Mapping;
    bool mapped = true;  // Mapping: on or off
    uint32_t state = 0;  // Automation: none, present, playing, recording, overriding
    uint32_t argb = 0;
};

class PluginInstance {
  public:
    virtual ~PluginInstance() = default;

    virtual int NumInputs() const = 0;
    virtual int NumOutputs() const = 0;
    virtual bool Supports(ProcessKind kind) const = 0;
    // Ready to process audio of that kind, and back; Render runs in between.
    virtual bool StartAudio(ProcessKind kind, std::string* error) = 0;
    virtual void StopAudio() = 0;
    // Calls nothing the plug-in does not offer.
    virtual void Process(ProcessKind kind, float** inputs, float** outputs, int frames) = 0;
    virtual void ProcessDouble(double** inputs, double** outputs, int frames) = 0;

    // Transport: the most frames of wanted the next block may have (hosts split
    // their blocks where the transport jumps back or stops), the position moving
    // on once a block is rendered, and a steady tempo from here on.
    int BlockFrames(int wanted);
    void AdvanceTransport(int frames);
    void SetTempo(double bpm);
    // A new sample rate while the audio is stopped, for the next StartAudio; the
    // transport plays on from where it is. False with the reason when refused.
    virtual bool ChangeSampleRate(double rate, std::string* error) {
        (void)error;
        SetTransportRate(rate);
        return true;
    }

    // Parameters by position. The number users give: a VST 2 index, a VST 3 id.
    virtual int NumParams() const = 0;
    virtual int ParamNumber(int index) { return index; }
    virtual std::string ParamName(int index) = 0;
    virtual std::string ParamLabel(int index) = 0;
    virtual std::string ParamDisplay(int index) = 0;
    virtual double ParamValue(int index) = 0;  // in [0, 1]
    virtual void SetParamValue(int index, double unit) = 0;
    // A change that lands offset frames into the next block, where the format
    // places changes in a block (VST 3, CLAP); elsewhere at once.
    virtual void SetParamValueAt(int index, double unit, int offset) {
        (void)offset;
        SetParamValue(index, unit);
    }
    // Whether SetParamValueAt lands changes at their offsets: VST 2 takes them
    // between blocks only.
    virtual bool TakesChangesInBlock() const { return false; }
    // The value the parameter has, sent again for the next block: a flat
    // automation lane, as hosts play it.
    virtual void ResendParam(int index) = 0;
    // Typed text; false when the plug-in refused it.
    virtual bool SetParameterText(int index, const std::string& text) = 0;
    // Position of the parameter named name (case-insensitive), or -1.
    int FindParam(const std::string& name);

    virtual int NumPrograms() const = 0;
    virtual int Program() = 0;
    virtual void SetProgram(int index) = 0;
    virtual std::string ProgramName(int index) = 0;

    // What a project keeps of the plug-in: VST 2's program or bank chunk (as bank
    // says), the whole state of the other formats. Empty when it gave none.
    virtual std::vector<std::uint8_t> SaveState(bool bank) = 0;
    virtual bool LoadState(bool bank, const std::vector<std::uint8_t>& bytes) = 0;
    // What SaveState gives, as messages name it.
    virtual const char* StateName(bool bank) const = 0;
    // A VST 2 module applies the file itself; the other formats take it as their
    // state, which is how they open what their VST 2 version saved.
    virtual bool LoadPresetFile(FxFile file, const std::vector<std::uint8_t>& bytes,
                                std::string* error);
    // Only VST 2 writes them; empty elsewhere.
    virtual std::vector<std::uint8_t> SavePresetFile(FxFile) { return {}; }

    // What a DAW's main thread does while Render runs on another thread (tavhost
    // --stress): the state saved and loaded straight back, and a program chosen,
    // through the format's own calls and nothing Render's thread touches (its
    // event queues). False where the format has no such call that is safe beside
    // the audio thread.
    virtual bool ReloadStateBesideAudio() { return false; }
    virtual bool ChooseProgramBesideAudio(int index) {
        (void)index;
        return false;
    }
    // CLAP's remote-control pages, param-indication and context menu (index -1: the
    // menu for the whole plug-in). False with the reason elsewhere.
    virtual bool PrintRemoteControls(std::ostream& out, std::string* error);
    virtual bool Indicate(int index, const ParamIndication& indication, std::string* error);
    virtual bool PrintMenu(int index, std::ostream& out, std::string* error);
    virtual bool PerformMenu(int index, uint32_t action, std::string* error);

    // Whether the editor may live on that thread too; empty, or why not.
    virtual std::string EditorBesideAudioRefusal() { return std::string(); }

    // Reports: identity, channels and flags as the format has them; what the
    // plug-in asked of the host; every parameter; the programs, the current one
    // marked.
    virtual void PrintInfo(const std::string& module, std::ostream& out) = 0;
    virtual void PrintRequests(std::ostream& out) = 0;
    void PrintParams(std::ostream& out);
    void PrintPrograms(std::ostream& out);

    // The plug-in's editor in a host window (host/editor_window): its size, opened
    // as a child of parent (an HWND or an X11 window id), closed again, and the
    // host's idle work while it is open.
    virtual bool EditorSize(int* width, int* height, std::string* error) = 0;
    // Tells the editor the screen's scale factor before it opens (1, 1.5, 2).
    virtual bool SetEditorScale(double factor, std::string* error) = 0;
    virtual bool OpenEditorIn(void* parent, std::string* error) = 0;
    virtual void CloseEditorWindow() = 0;
    virtual void EditorIdle() = 0;

    // The editor asks for a new window size (audioMasterSizeWindow, IPlugFrame's
    // resizeView): the host window that holds it answers whether it took the size.
    std::function<bool(int width, int height)> onEditorResize;

  protected:
    void StartTransport(const HostSettings& settings);
    void SetTransportRate(double rate);
    // A copy: time queries may come from any of the plug-in's threads.
    TransportState TransportNow();

  private:
    std::mutex transportMutex_;
    HostTransport transport_ = MakeTransport(HostSettings());
};

// What a run asks of the plug-in that not every format offers.
struct PluginUse {
    ProcessKind process = ProcessKind::Replacing;
    bool bankChunks = false;
    bool savesPresetFiles = false;
};

// LV2 (hosted on Linux only): a bundle folder or a plug-in's URI; the instance
// for it, or none with the reason.
bool IsLv2Plugin(const std::string& path);
std::unique_ptr<PluginInstance> OpenLv2Plugin(const std::string& path, const HostSettings& settings,
                                              std::string* error);

// Loads path as what its file or bundle is (LV2, CLAP, VST 3, else VST 2), set up for
// the settings' rate and block size. What its format cannot do is refused
// before anything is loaded.
std::unique_ptr<PluginInstance> OpenPlugin(const std::string& path, const HostSettings& settings,
                                           const PluginUse& use, std::string* error);

}  // namespace tav
