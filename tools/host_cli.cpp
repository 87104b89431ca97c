#include "tools/host_cli.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "tools/audio_buffer.h"
#include "tools/demo_signal.h"
#include "tools/editor_window.h"
#include "tools/render.h"

namespace tav {

const char* const kCliUsage =
    "usage: tavhost MODULE [options]\n"
    "Loads a VST 2.4 module, drives it as a DAW does and reports what happened.\n"
    "\n"
    "Reports (printed after the changes below are applied):\n"
    "  --info                 identity, channels, flags (the default when nothing else is asked)\n"
    "  --params               parameters: index, name, label, display text, unit value\n"
    "  --programs             program names, the current one marked *\n"
    "  --requests             what the plug-in asked of the host, at the end\n"
    "Host:\n"
    "  --rate HZ              sample rate (default 44100)\n"
    "  --block N              block size in frames (default 512)\n"
    "  --tempo BPM            tempo answered through audioMasterGetTime (default 120;\n"
    "                         0 reports no tempo)\n"
    "  --product TEXT         host product string (default \"tavhost\")\n"
    "  --vendor-version N     host vendor version (default 10000)\n"
    "State (applied in this order after effOpen):\n"
    "  --load-chunk FILE      give the plug-in this chunk (effSetChunk)\n"
    "  --program N            select program N\n"
    "  --set PARAM=UNIT       set a parameter (index or name) to a unit value in [0, 1]\n"
    "  --set-text PARAM=TEXT  set a parameter from typed text (effString2Parameter)\n"
    "  --save-chunk FILE      save the plug-in's chunk at the end (effGetChunk)\n"
    "  --bank                 chunks are bank chunks (default: program chunks)\n"
    "Audio:\n"
    "  --in FILE.wav          render this file through the plug-in\n"
    "  --generate NAME        render a built-in signal: demo-loop, impulse, sine, noise,\n"
    "                         silence (at the host's sample rate)\n"
    "  --out FILE.wav         write the rendered audio (32-bit float WAV)\n"
    "  --write-input FILE.wav write the unprocessed input too\n"
    "  --process KIND         replacing (default), accumulating or double\n"
    "  --progress             show progress (shown anyway for inputs over 30 s)\n"
    "  --quiet                no progress\n"
    "Editor (needs an X display, e.g. xvfb-run -a; the Linux build reads the window\n"
    "back with XGetImage, the Windows build under Wine with BitBlt):\n"
    "  --editor-shot FILE.png open the editor in a window, let it paint, save what is on\n"
    "                         screen and close it (after the state changes above)\n";

namespace {

bool ParseNumber(const std::string& text, double* out) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    double value = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || errno != 0 || !std::isfinite(value)) return false;
    *out = value;
    return true;
}

bool ParseInt(const std::string& text, int* out) {
    double value;
    if (!ParseNumber(text, &value) || value != std::floor(value) || value < -2147483648.0 ||
        value > 2147483647.0) {
        return false;
    }
    *out = static_cast<int>(value);
    return true;
}

bool SplitAssignment(const std::string& text, std::string* name, std::string* value) {
    size_t eq = text.find('=');
    if (eq == std::string::npos || eq == 0) return false;
    *name = text.substr(0, eq);
    *value = text.substr(eq + 1);
    return true;
}

std::string FourChars(int id) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        char c = static_cast<char>((id >> shift) & 0xFF);
        text += (c >= 32 && c < 127) ? c : '.';
    }
    return text;
}

std::string FlagNames(int flags) {
    static const std::pair<int, const char*> kNames[] = {
        {effFlagsHasEditor, "editor"},
        {effFlagsHasClip, "clip"},
        {effFlagsHasVu, "vu"},
        {effFlagsCanMono, "mono"},
        {effFlagsCanReplacing, "replacing"},
        {effFlagsProgramChunks, "chunks"},
        {effFlagsIsSynth, "synth"},
        {effFlagsNoSoundInStop, "no-sound-in-stop"},
        {effFlagsCanDoubleReplacing, "double"},
    };
    std::string text;
    for (const auto& [bit, name] : kNames) {
        if ((flags & bit) == 0) continue;
        if (!text.empty()) text += ' ';
        text += name;
    }
    return text;
}

std::string Fixed6(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.6f", value);
    return text;
}

std::string General(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

bool ReadFile(const std::string& path, std::vector<std::uint8_t>* bytes) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    bytes->assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return true;
}

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

int ResolveParam(HostedPlugin& plugin, const std::string& name) {
    int index;
    if (ParseInt(name, &index)) return index >= 0 && index < plugin.NumParams() ? index : -1;
    return plugin.FindParam(name);
}

void PrintInfo(HostedPlugin& plugin, const std::string& module, std::ostream& out) {
    const AEffect* e = plugin.Effect();
    const auto category = plugin.Dispatch(effGetPlugCategory);
    char id[16];
    std::snprintf(id, sizeof id, "0x%08X", static_cast<unsigned>(e->uniqueID));
    char flags[16];
    std::snprintf(flags, sizeof flags, "0x%X", static_cast<unsigned>(e->flags));
    out << "module        " << module << "\n"
        << "effect        " << plugin.EffectName() << "\n"
        << "vendor        " << plugin.VendorString() << "\n"
        << "product       " << plugin.ProductString() << "\n"
        << "version       " << e->version << " (vendor version "
        << plugin.Dispatch(effGetVendorVersion) << ")\n"
        << "unique id     " << id << " '" << FourChars(e->uniqueID) << "'\n"
        << "vst version   " << plugin.Dispatch(effGetVstVersion) << "\n"
        << "category      " << category << "\n"
        << "inputs        " << e->numInputs << "\n"
        << "outputs       " << e->numOutputs << "\n"
        << "parameters    " << e->numParams << "\n"
        << "programs      " << e->numPrograms << "\n"
        << "flags         " << flags << " (" << FlagNames(e->flags) << ")\n"
        << "latency       " << e->initialDelay << "\n";
}

void PrintParams(HostedPlugin& plugin, std::ostream& out) {
    out << "parameters:\n";
    for (int i = 0; i < plugin.NumParams(); ++i) {
        char line[256];
        std::snprintf(line, sizeof line, "  %3d  %-24s %-8s %-16s %.6f\n", i,
                      plugin.ParamName(i).c_str(), plugin.ParamLabel(i).c_str(),
                      plugin.ParamDisplay(i).c_str(), static_cast<double>(plugin.GetParameter(i)));
        out << line;
    }
}

void PrintPrograms(HostedPlugin& plugin, std::ostream& out) {
    out << "programs:\n";
    const int current = plugin.Program();
    for (int i = 0; i < plugin.NumPrograms(); ++i) {
        out << (i == current ? "  * " : "    ") << i << "  " << plugin.ProgramName(i) << "\n";
    }
}

void PrintRequests(HostedPlugin& plugin, std::ostream& out) {
    out << "host requests:\n";
    for (int op = 0; op < HostRequestLog::kOpcodes; ++op) {
        if (int n = plugin.Requests().Count(op)) {
            char line[128];
            std::snprintf(line, sizeof line, "  %-36s %d\n", HostOpcodeName(op), n);
            out << line;
        }
    }
    const auto entries = plugin.Requests().Entries();
    constexpr size_t kShown = 64;
    for (size_t i = 0; i < entries.size() && i < kShown; ++i) {
        const HostRequest& r = entries[i];
        out << "  #" << i << " " << HostOpcodeName(r.opcode) << "(" << r.opcode << ") index "
            << r.index << " value " << r.value << " opt " << General(static_cast<double>(r.opt));
        if (!r.text.empty()) out << " \"" << r.text << "\"";
        out << "\n";
    }
    if (entries.size() > kShown) out << "  ... " << entries.size() - kShown << " more\n";
}

void PrintLevels(const AudioBuffer& audio, std::ostream& out) {
    out << "rendered " << audio.NumFrames() << " frames, " << audio.NumChannels() << " channels\n";
    for (int c = 0; c < audio.NumChannels(); ++c) {
        const AudioLevels levels = MeasureLevels(audio, c);
        out << "  channel " << c << ": peak " << Fixed6(levels.peak) << ", rms "
            << Fixed6(levels.rms) << "\n";
    }
}

}  // namespace

bool ParseCli(const std::vector<std::string>& args, CliOptions* o, std::string* error) {
    auto fail = [&](const std::string& why) {
        *error = why;
        return false;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto next = [&](std::string* value) {
            if (i + 1 >= args.size()) return false;
            *value = args[++i];
            return true;
        };
        std::string v, name, text;
        double number;
        if (a == "--help" || a == "-h") {
            return fail(std::string());
        } else if (a.rfind("--", 0) != 0) {
            if (!o->module.empty()) return fail("more than one module given: " + a);
            o->module = a;
        } else if (a == "--info") {
            o->info = true;
        } else if (a == "--params") {
            o->params = true;
        } else if (a == "--programs") {
            o->programs = true;
        } else if (a == "--requests") {
            o->requests = true;
        } else if (a == "--bank") {
            o->bankChunks = true;
        } else if (a == "--progress") {
            o->progress = true;
        } else if (a == "--quiet") {
            o->quiet = true;
        } else if (!next(&v)) {
            return fail(a + " needs a value");
        } else if (a == "--rate") {
            if (!ParseNumber(v, &number) || number <= 0.0) return fail("bad --rate " + v);
            o->host.sampleRate = number;
        } else if (a == "--block") {
            if (!ParseInt(v, &o->host.blockSize) || o->host.blockSize < 1) {
                return fail("bad --block " + v);
            }
        } else if (a == "--tempo") {
            if (!ParseNumber(v, &o->host.tempo) || o->host.tempo < 0.0) {
                return fail("bad --tempo " + v);
            }
        } else if (a == "--product") {
            o->host.productString = v;
        } else if (a == "--vendor-version") {
            if (!ParseInt(v, &o->host.vendorVersion)) return fail("bad --vendor-version " + v);
        } else if (a == "--load-chunk") {
            o->loadChunk = v;
        } else if (a == "--save-chunk") {
            o->saveChunk = v;
        } else if (a == "--program") {
            if (!ParseInt(v, &o->program) || o->program < 0) return fail("bad --program " + v);
        } else if (a == "--set") {
            if (!SplitAssignment(v, &name, &text) || !ParseNumber(text, &number)) {
                return fail("--set wants PARAM=UNIT, got " + v);
            }
            o->setUnit.emplace_back(name, number);
        } else if (a == "--set-text") {
            if (!SplitAssignment(v, &name, &text)) return fail("--set-text wants PARAM=TEXT");
            o->setText.emplace_back(name, text);
        } else if (a == "--in") {
            o->inFile = v;
        } else if (a == "--generate") {
            o->generate = v;
        } else if (a == "--out") {
            o->outFile = v;
        } else if (a == "--write-input") {
            o->writeInput = v;
        } else if (a == "--editor-shot") {
            o->editorShot = v;
        } else if (a == "--process") {
            if (v == "replacing") {
                o->process = ProcessKind::Replacing;
            } else if (v == "accumulating") {
                o->process = ProcessKind::Accumulating;
            } else if (v == "double") {
                o->process = ProcessKind::Double;
            } else {
                return fail("bad --process " + v);
            }
        } else {
            return fail("unknown option " + a);
        }
    }
    if (o->module.empty()) return fail("no module given");
    if (!o->inFile.empty() && !o->generate.empty())
        return fail("--in and --generate exclude each other");
    if (!o->info && !o->params && !o->programs && !o->requests && o->inFile.empty() &&
        o->generate.empty() && o->saveChunk.empty() && o->editorShot.empty()) {
        o->info = true;
    }
    return true;
}

int RunCli(const CliOptions& o, std::ostream& out, std::ostream& err) {
    AudioBuffer input;
    std::string error;
    if (!o.inFile.empty() && !ReadAudioFile(o.inFile, &input, &error)) {
        err << "tavhost: " << error << "\n";
        return 1;
    }
    if (!o.generate.empty() && !GenerateSignal(o.generate, o.host.sampleRate, &input)) {
        err << "tavhost: no built-in signal named " << o.generate << "\n";
        return 1;
    }
    if (!o.writeInput.empty() && !WriteAudioFile(o.writeInput, input, &error)) {
        err << "tavhost: " << error << "\n";
        return 1;
    }

    HostSettings settings = o.host;
    // A file brings its own rate; the plug-in should run at it.
    if (!o.inFile.empty()) settings.sampleRate = input.sampleRate;
    auto plugin = HostedPlugin::Load(o.module, settings, &error);
    if (!plugin) {
        err << "tavhost: " << error << "\n";
        return 1;
    }
    plugin->Open();
    plugin->SetSampleRate(settings.sampleRate);
    plugin->SetBlockSize(settings.blockSize);

    int status = 0;
    if (!o.loadChunk.empty()) {
        std::vector<std::uint8_t> bytes;
        if (!ReadFile(o.loadChunk, &bytes)) {
            err << "tavhost: cannot read " << o.loadChunk << "\n";
            return 1;
        }
        if (!plugin->SetChunk(o.bankChunks, bytes)) {
            err << "tavhost: the plug-in refused the chunk in " << o.loadChunk << "\n";
            status = 1;
        }
    }
    if (o.program >= 0) {
        if (o.program >= plugin->NumPrograms()) {
            err << "tavhost: no program " << o.program << "\n";
            return 1;
        }
        plugin->SetProgram(o.program);
    }
    for (const auto& [name, unit] : o.setUnit) {
        int index = ResolveParam(*plugin, name);
        if (index < 0) {
            err << "tavhost: no parameter " << name << "\n";
            return 1;
        }
        plugin->SetParameter(index, static_cast<float>(unit));
    }
    for (const auto& [name, text] : o.setText) {
        int index = ResolveParam(*plugin, name);
        if (index < 0) {
            err << "tavhost: no parameter " << name << "\n";
            return 1;
        }
        if (!plugin->SetParameterText(index, text)) {
            err << "tavhost: the plug-in refused \"" << text << "\" for " << name << "\n";
            status = 1;
        }
    }

    if (o.info) PrintInfo(*plugin, o.module, out);
    if (o.params) PrintParams(*plugin, out);
    if (o.programs) PrintPrograms(*plugin, out);

    if (!o.inFile.empty() || !o.generate.empty()) {
        // Hosts only call what the plug-in offers: many have no double precision.
        if (!plugin->Supports(o.process)) {
            static const char* const kNames[] = {"replacing", "accumulating", "double"};
            err << "tavhost: the plug-in does not offer " << kNames[static_cast<int>(o.process)]
                << " processing\n";
            return 1;
        }
        plugin->Resume();
        RenderOptions render;
        render.kind = o.process;
        render.blockSize = settings.blockSize;
        const bool showProgress =
            !o.quiet && (o.progress || input.NumFrames() > 30 * input.sampleRate);
        int shown = -1;
        if (showProgress) {
            render.progress = [&](std::int64_t done, std::int64_t total) {
                int percent = total > 0 ? static_cast<int>(done * 100 / total) : 100;
                if (percent != shown) {
                    shown = percent;
                    err << "\rrendering " << percent << "%" << (done == total ? "\n" : "")
                        << std::flush;
                }
            };
        }
        AudioBuffer output = Render(*plugin, input, render);
        plugin->Suspend();
        PrintLevels(output, out);
        if (!o.outFile.empty() && !WriteAudioFile(o.outFile, output, &error)) {
            err << "tavhost: " << error << "\n";
            status = 1;
        }
    }

    if (!o.editorShot.empty()) {
        if (SaveEditorScreenshot(*plugin, o.editorShot, &error)) {
            out << "saved the editor's picture to " << o.editorShot << "\n";
        } else {
            err << "tavhost: " << error << "\n";
            status = 1;
        }
    }

    if (!o.saveChunk.empty()) {
        std::vector<std::uint8_t> bytes = plugin->GetChunk(o.bankChunks);
        if (bytes.empty()) {
            err << "tavhost: the plug-in gave no chunk\n";
            status = 1;
        } else if (!WriteFile(o.saveChunk, bytes)) {
            err << "tavhost: cannot write " << o.saveChunk << "\n";
            status = 1;
        } else {
            out << "saved " << bytes.size() << " bytes of " << (o.bankChunks ? "bank" : "program")
                << " chunk to " << o.saveChunk << "\n";
        }
    }
    if (o.requests) PrintRequests(*plugin, out);
    plugin->Close();
    return status;
}

int HostMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    CliOptions options;
    std::string error;
    if (!ParseCli(args, &options, &error)) {
        if (!error.empty()) err << "tavhost: " << error << "\n";
        err << kCliUsage;
        return error.empty() ? 0 : 2;
    }
    return RunCli(options, out, err);
}

}  // namespace tav
