// The command-line host: options, and a run that loads a VST 2 module, a VST 3
// bundle or a CLAP module and drives it through PluginInstance alone.
#pragma once

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "host/plugin_instance.h"

namespace tav {

// A time in a render: seconds of the output file (at its rate), the song's beats
// (where play first reaches them), or frames of the render.
struct HostTime {
    enum class Unit { Seconds, Beats, Frames };
    Unit unit = Unit::Seconds;
    double value = 0.0;
};

// An automation ramp of a parameter from one unit value to another between two
// times, or a step to a value at one time (from == to, start == end). text is
// the option as given, for messages.
struct AutomationMove {
    std::string text, param;
    double from = 0.0, to = 0.0;
    HostTime start, end;
};

// The audio stopped and started again at another sample rate.
struct Reactivation {
    double rate = 0.0;
    HostTime at;  // seconds or frames
};

struct CliOptions {
    std::string module;
    HostSettings host;
    bool info = false;
    bool params = false;
    bool programs = false;
    bool requests = false;
    bool bankChunks = false;
    std::string loadChunk, saveChunk;
    std::string loadFxp, loadFxb, saveFxp, saveFxb;  // VST 2 preset files
    int program = -1;
    std::vector<std::pair<std::string, double>> setUnit;       // parameter, unit value
    std::vector<std::pair<std::string, std::string>> setText;  // parameter, typed text
    std::vector<std::string> resend;  // parameters sent again before every block
    std::vector<AutomationMove> automation;
    bool sampleAccurate = false;
    std::vector<Reactivation> reactivations;
    std::string inFile, generate, outFile, writeInput;
    double length = 0;  // seconds of the input to render; 0: all of it
    bool stress = false;
    bool callbackTimes = false;  // the time of each audio callback, summed up at the end
    int stressRounds = 20;       // with stress: the rounds its thread runs beside the audio
    bool remoteControls = false;
    std::vector<std::pair<std::string, ParamIndication>> indications;  // parameter, what
    bool menu = false;
    std::string menuTarget;             // a parameter; empty: the whole plug-in
    std::vector<uint32_t> menuActions;  // performed on menuTarget, in order
    std::string editorShot;             // PNG of the editor, after the state changes
    double editorScale = 0;             // the screen's scale factor for the editor; 0: none given
    ProcessKind process = ProcessKind::Replacing;
    bool progress = false;
    bool quiet = false;
};

extern const char* const kCliUsage;

// Returns false with a message for bad arguments.
bool ParseCli(const std::vector<std::string>& args, CliOptions* options, std::string* error);

// Runs the host; returns the process exit code (0 success, 1 failure).
int RunCli(const CliOptions& options, std::ostream& out, std::ostream& err);

// Whole program: parse, run, usage on error (exit code 2).
int HostMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace tav
