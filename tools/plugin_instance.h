// A loaded plug-in as tavhost drives it, whatever its format: parameters and
// programs by position, and audio for Render. HostedVst2 (VST 2) and
// HostedVst3 implement it.
#pragma once

#include <functional>
#include <string>

namespace tav {

// Replacing and double are 32- and 64-bit processing; accumulating is VST 2's
// old callback that adds to its outputs.
enum class ProcessKind { Replacing, Accumulating, Double };

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
    // their blocks where the transport jumps back or stops), and the position
    // moving on once a block is rendered.
    virtual int BlockFrames(int wanted) = 0;
    virtual void AdvanceTransport(int frames) = 0;

    // Parameters by position. The number users give: a VST 2 index, a VST 3 id.
    virtual int NumParams() const = 0;
    virtual int ParamNumber(int index) { return index; }
    virtual std::string ParamName(int index) = 0;
    virtual std::string ParamLabel(int index) = 0;
    virtual std::string ParamDisplay(int index) = 0;
    virtual double ParamValue(int index) = 0;  // in [0, 1]
    virtual void SetParamValue(int index, double unit) = 0;
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

    // The plug-in's editor in a host window (tools/editor_window): its size, opened
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
};

}  // namespace tav
