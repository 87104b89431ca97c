// The command-line host: options, and a run that loads a VST 2 module, a VST 3
// bundle or a CLAP module and drives it through PluginInstance alone.
#pragma once

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "tools/plugin_instance.h"

namespace tav {

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
    std::string inFile, generate, outFile, writeInput;
    std::string editorShot;  // PNG of the editor, after the state changes
    double editorScale = 0;  // the screen's scale factor for the editor; 0: none given
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
