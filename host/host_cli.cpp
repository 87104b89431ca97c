#include "host/host_cli.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <tuple>

#include "host/audio_buffer.h"
#include "host/audio_callback_mark.h"
#include "host/demo_signal.h"
#include "host/editor_window.h"
#include "host/render.h"
#include "host/stress.h"

namespace tav {

const char* const kCliUsage =
    "usage: tavhost MODULE [options]\n"
    "Loads a VST 2.4 module, a VST 3 bundle (the .vst3 folder, or the binary in it), a\n"
    "CLAP module (.clap) or, on Linux, an LV2 plug-in (its .lv2 bundle folder, or its URI\n"
    "looked up in LV2_PATH), drives it as a DAW does and reports what happened. Every option\n"
    "works with each unless it says otherwise; VST 3 covers CLAP and LV2 where they are not\n"
    "named. LV2: parameters are the control ports, numbered by port index, programs the\n"
    "presets, the state the control ports' values as Turtle; 32-bit processing only.\n"
    "\n"
    "Reports (printed after the changes below are applied):\n"
    "  --info                 identity, channels, flags (the default when nothing else is asked)\n"
    "  --params               parameters: number, name, label, display text, unit value\n"
    "  --programs             program names, the current one marked *\n"
    "  --requests             what the plug-in asked of the host, at the end\n"
    "Host:\n"
    "  --rate HZ              sample rate (default 44100)\n"
    "  --block N              block size in frames (default 512); shorter where a loop\n"
    "                         jumps back or a pause starts or ends, as hosts split them\n"
    "  --tempo BPM            tempo in the transport the plug-in reads (default 120;\n"
    "                         0 reports no tempo, and allows no beat option below)\n"
    "  --tempo-ramp A:B       instead: the tempo moves linearly from A to B BPM over the\n"
    "                         whole input, a new tempo at each block's start\n"
    "  --start-beat N         play starts at beat N (quarter notes, may be fractional)\n"
    "  --loop A:B             on reaching beat B the position jumps back to beat A,\n"
    "  --loop-passes N        N times (default 4), then plays on past B\n"
    "  --pause AT:LEN         at beat AT the transport stops for as long as LEN beats last\n"
    "                         at the tempo there, audio flowing on, then plays on from\n"
    "                         where it stopped; repeatable, each happens once\n"
    "  --tempo-step BPM@BEAT  from beat BEAT (e.g. 8b) on the tempo is BPM; repeatable\n"
    "  --tempo-map-ramp A:B@X:Y  the tempo map ramps linearly in beats from A BPM at beat\n"
    "                         X to B at beat Y (e.g. 100:140@4b:20b). With the steps: the\n"
    "                         position integrates the map, each block reports the tempo\n"
    "                         at its first frame, blocks end on the map's points\n"
    "  --report-ramp-start-tempo  as Ardour 7 does: the ramp's first tempo is reported\n"
    "                         until it ends, the position still following the map\n"
    "  --reactivate RATE@TIME at TIME (seconds, 2s, or frames) stop the audio, set the\n"
    "                         sample rate RATE and start again (LV2: a new instance on\n"
    "                         the same control ports); the output file keeps the first\n"
    "                         rate in its header; repeatable\n"
    "  --product TEXT         host product string (default \"tavhost\"; VST 2)\n"
    "  --vendor-version N     host vendor version (default 10000; VST 2)\n"
    "State (applied in this order once the plug-in is set up):\n"
    "  --load-chunk FILE      give the plug-in this chunk (VST 2: effSetChunk; VST 3: the\n"
    "                         component's setState and the controller's setComponentState)\n"
    "  --load-fxb FILE        load a VST 2 bank file, then\n"
    "  --load-fxp FILE        a VST 2 program file; a VST 3 plug-in gets the file as its\n"
    "                         state, which is how it opens what its VST 2 version saved\n"
    "  --program N            select program N (VST 3: the program-change parameter)\n"
    "  --set PARAM=UNIT       set a parameter (by name, or by number: the VST 2 index or\n"
    "                         the VST 3 or CLAP id) to a unit value in [0, 1] (CLAP: the\n"
    "                         position on the parameter's plain range)\n"
    "  --set-text PARAM=TEXT  set a parameter from typed text (effString2Parameter;\n"
    "                         VST 3: the controller's getParamValueByString)\n"
    "  --save-chunk FILE      save the plug-in's chunk at the end (VST 2: effGetChunk;\n"
    "                         VST 3: the component's getState)\n"
    "  --bank                 chunks are bank chunks (VST 2; default: program chunks)\n"
    "  --save-fxp FILE        save the current program as a .fxp file at the end (VST 2)\n"
    "  --save-fxb FILE        save every program as a .fxb bank file at the end (VST 2)\n"
    "Audio:\n"
    "  --in FILE.wav          render this file through the plug-in\n"
    "  --generate NAME        render a built-in signal: demo-loop, impulse, sine, noise,\n"
    "                         silence, chord or long-noise (32 s each; at the host's\n"
    "                         sample rate)\n"
    "  --out FILE.wav         write the rendered audio (32-bit float WAV)\n"
    "  --write-input FILE.wav write the unprocessed input too\n"
    "  --length SECONDS       only the input's first SECONDS\n"
    "  --process KIND         replacing (default; 32-bit), double (64-bit) or\n"
    "                         accumulating (VST 2 only)\n"
    "  --resend PARAM         before every block send PARAM again at the value it has, a\n"
    "                         flat automation lane (VST 2: setParameter; VST 3: a change\n"
    "                         at offset 0; CLAP: a value event at time 0); repeatable\n"
    "  --ramp PARAM=A:B@T1:T2 automation: PARAM (as --set names it) moves linearly from\n"
    "                         unit value A at T1 to B at T2, then holds B. Times: seconds\n"
    "                         of the output (2s), beats where play first reaches them\n"
    "                         (8b), or frames (88200)\n"
    "  --step PARAM=V@T       automation: PARAM steps to V at T. Both repeatable; a value\n"
    "                         goes out only when it differs from the last one sent\n"
    "  --sample-accurate      automation lands on its frames: VST 3 and CLAP as changes at\n"
    "                         offsets inside the block, LV2 by running the block in slices\n"
    "                         between them; VST 2 per block only. Without it, every format\n"
    "                         gets the value at each block's start\n"
    "  --stress               while rendering, a second thread does what a DAW's main\n"
    "                         thread does meanwhile, in rounds: each saves the state and\n"
    "                         loads it back (VST 2: effGetChunk and effSetChunk; VST 3:\n"
    "                         the component's getState and setState, the controller's\n"
    "                         setComponentState; CLAP: state save and load), chooses the\n"
    "                         next program (VST 2: effSetProgram; CLAP: preset-load) and,\n"
    "                         given an X display, takes the editor one step further:\n"
    "                         opened, scaled to 200 %, back to 100 %, closed. A round\n"
    "                         ends once the audio has rendered another block. The input\n"
    "                         renders again and again, block after block without pause\n"
    "                         and the transport playing on, until the rounds are done;\n"
    "                         fails when they are not within 120 s. The output is the last\n"
    "                         pass. LV2 leaves its ports and UI feed to the audio thread:\n"
    "                         there the input renders once\n"
    "  --stress-rounds N      rounds --stress runs (default 20)\n"
    "  --callback-times       time each audio callback; print the median, 99th and\n"
    "                         99.99th percentiles and the longest\n"
    "  --progress             show progress (shown anyway for inputs over 30 s)\n"
    "  --quiet                no progress\n"
    "CLAP controllers and menus (CLAP only):\n"
    "  --remote-controls      list the pages a controller's eight knobs step through\n"
    "  --map PARAM=COLOUR     tell the plug-in a hardware control is mapped to PARAM\n"
    "                         (param-indication), in COLOUR: #RRGGBB, #AARRGGBB, or\n"
    "                         auto (the plug-in picks); PARAM=off takes it away\n"
    "  --automation PARAM=STATE[:COLOUR]  PARAM's automation is none, present,\n"
    "                         playing, recording or overriding. Both repeatable, in\n"
    "                         order, before the reports and the editor shot\n"
    "  --menu TARGET          print what the plug-in puts into a host's context menu\n"
    "                         for TARGET: plugin, or a parameter\n"
    "  --menu-action N        perform the plug-in's menu entry N for --menu's target\n"
    "                         (default plugin) with the state changes; repeatable\n"
    "Editor (every format; needs an X display, e.g. xvfb-run -a; the Linux build reads the\n"
    "window back with XGetImage, the Windows build under Wine with BitBlt):\n"
    "  --editor-shot FILE.png open the editor in a window, let it paint, save what is on\n"
    "                         screen and close it (after the state changes above)\n"
    "  --editor-scale F       the screen's scale factor for the editor (1, 1.5 or 2): VST 3\n"
    "                         through setContentScaleFactor, VST 2 through effVendorSpecific\n"
    "                         'PreS' 'AeCs' (the call hosts that scale plug-in windows make)\n";

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

// "A:B" with both numbers.
bool ParsePair(const std::string& text, double* a, double* b) {
    const size_t colon = text.find(':');
    return colon != std::string::npos && ParseNumber(text.substr(0, colon), a) &&
           ParseNumber(text.substr(colon + 1), b);
}

// "2s" seconds, "8b" beats, "88200" frames; none below 0.
bool ParseHostTime(const std::string& text, HostTime* time) {
    if (text.empty()) return false;
    std::string number = text;
    time->unit = HostTime::Unit::Frames;
    if (text.back() == 's' || text.back() == 'b') {
        time->unit = text.back() == 's' ? HostTime::Unit::Seconds : HostTime::Unit::Beats;
        number.pop_back();
    }
    return ParseNumber(number, &time->value) && time->value >= 0.0;
}

// "A@B", split at the @.
bool SplitAt(const std::string& text, std::string* what, std::string* when) {
    const size_t at = text.find('@');
    if (at == std::string::npos) return false;
    *what = text.substr(0, at);
    *when = text.substr(at + 1);
    return true;
}

// "T1:T2", two times; a ramp's end after its start where both count alike.
bool ParseSpan(const std::string& text, HostTime* start, HostTime* end) {
    const size_t colon = text.find(':');
    return colon != std::string::npos && ParseHostTime(text.substr(0, colon), start) &&
           ParseHostTime(text.substr(colon + 1), end) &&
           (start->unit != end->unit || start->value < end->value);
}

bool IsUnit(double value) {
    return value >= 0.0 && value <= 1.0;
}

// A beat, with or without its b.
bool ParseBeat(std::string text, double* beat) {
    if (!text.empty() && text.back() == 'b') text.pop_back();
    return ParseNumber(text, beat) && *beat >= 0.0;
}

// "#RRGGBB", "#AARRGGBB" (alpha ff when not given), or "auto" for 0.
bool ParseColour(const std::string& text, uint32_t* argb) {
    if (text == "auto") {
        *argb = 0;
        return true;
    }
    if ((text.size() != 7 && text.size() != 9) || text[0] != '#') return false;
    uint32_t value = 0;
    for (size_t i = 1; i < text.size(); ++i) {
        const int c = std::tolower(static_cast<unsigned char>(text[i]));
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0) return false;
        value = value << 4 | static_cast<uint32_t>(digit);
    }
    *argb = text.size() == 7 ? 0xFF000000u | value : value;
    return true;
}

bool ParseAutomation(const std::string& text, ParamIndication* indication) {
    static const char* const kStates[] = {"none", "present", "playing", "recording", "overriding"};
    const size_t colon = text.find(':');
    const std::string state = text.substr(0, colon);
    indication->kind = ParamIndication::Kind::Automation;
    for (uint32_t s = 0; s < std::size(kStates); ++s) {
        if (state != kStates[s]) continue;
        indication->state = s;
        return colon == std::string::npos || ParseColour(text.substr(colon + 1), &indication->argb);
    }
    return false;
}

bool SplitAssignment(const std::string& text, std::string* name, std::string* value) {
    size_t eq = text.find('=');
    if (eq == std::string::npos || eq == 0) return false;
    *name = text.substr(0, eq);
    *value = text.substr(eq + 1);
    return true;
}

std::string Fixed6(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.6f", value);
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

int ResolveParam(PluginInstance& plugin, const std::string& name) {
    int number;
    if (!ParseInt(name, &number)) return plugin.FindParam(name);
    for (int i = 0; i < plugin.NumParams(); ++i) {
        if (plugin.ParamNumber(i) == number) return i;
    }
    return -1;
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
    bool ramp = false, tempoGiven = false, passesGiven = false, startTempoReported = false;
    std::string beatsWanted;  // an option that counts in beats, so needs a tempo
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto next = [&](std::string* value) {
            if (i + 1 >= args.size()) return false;
            *value = args[++i];
            return true;
        };
        std::string v, name, text;
        double number, first, second;
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
        } else if (a == "--sample-accurate") {
            o->sampleAccurate = true;
        } else if (a == "--stress") {
            o->stress = true;
        } else if (a == "--callback-times") {
            o->callbackTimes = true;
        } else if (a == "--remote-controls") {
            o->remoteControls = true;
        } else if (a == "--report-ramp-start-tempo") {
            startTempoReported = true;
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
            tempoGiven = true;
        } else if (a == "--tempo-ramp") {
            if (!ParsePair(v, &first, &second) || !(first > 0.0) || !(second > 0.0)) {
                return fail("--tempo-ramp wants A:B, two tempi above 0, got " + v);
            }
            ramp = true;
            o->host.tempo = first;
            o->host.transport.ramp = true;
            o->host.transport.rampTo = second;
        } else if (a == "--start-beat") {
            if (!ParseNumber(v, &number) || number < 0.0) return fail("bad --start-beat " + v);
            o->host.transport.startBeat = number;
            beatsWanted = a;
        } else if (a == "--loop") {
            if (!ParsePair(v, &first, &second) || first < 0.0 || !(first < second)) {
                return fail("--loop wants A:B, beats with 0 <= A < B, got " + v);
            }
            o->host.transport.loopStart = first;
            o->host.transport.loopEnd = second;
            beatsWanted = a;
        } else if (a == "--loop-passes") {
            if (!ParseInt(v, &o->host.transport.loopPasses) || o->host.transport.loopPasses < 1) {
                return fail("bad --loop-passes " + v);
            }
            passesGiven = true;
        } else if (a == "--pause") {
            if (!ParsePair(v, &first, &second) || first < 0.0 || !(second > 0.0)) {
                return fail("--pause wants AT:LEN, beats with AT >= 0 and LEN > 0, got " + v);
            }
            o->host.transport.pauses.push_back({first, second});
            beatsWanted = a;
        } else if (a == "--tempo-step") {
            TempoStep step;
            if (!SplitAt(v, &name, &text) || !ParseNumber(name, &step.bpm) || !(step.bpm > 0.0) ||
                !ParseBeat(text, &step.atBeat)) {
                return fail("--tempo-step wants BPM@BEAT, a tempo above 0 at a beat, got " + v);
            }
            o->host.transport.tempoSteps.push_back(step);
            beatsWanted = a;
        } else if (a == "--tempo-map-ramp") {
            TransportPlan& plan = o->host.transport;
            std::string beats;
            double x, y;
            if (!SplitAt(v, &text, &beats) || !ParsePair(text, &first, &second) || !(first > 0.0) ||
                !(second > 0.0) || beats.find(':') == std::string::npos ||
                !ParseBeat(beats.substr(0, beats.find(':')), &x) ||
                !ParseBeat(beats.substr(beats.find(':') + 1), &y) || !(x < y)) {
                return fail("--tempo-map-ramp wants A:B@X:Y, tempi above 0 and beats X < Y, got " +
                            v);
            }
            if (plan.mapRamp) return fail("--tempo-map-ramp given twice");
            plan.mapRamp = true;
            plan.mapRampFrom = first;
            plan.mapRampTo = second;
            plan.mapRampStart = x;
            plan.mapRampEnd = y;
            beatsWanted = a;
        } else if (a == "--reactivate") {
            Reactivation again;
            if (!SplitAt(v, &text, &name) || !ParseNumber(text, &again.rate) ||
                !(again.rate > 0.0) || !ParseHostTime(name, &again.at) ||
                again.at.unit == HostTime::Unit::Beats) {
                return fail("--reactivate wants RATE@TIME, a rate above 0 at seconds (2s) or " +
                            std::string("frames, got ") + v);
            }
            o->reactivations.push_back(again);
        } else if (a == "--ramp" || a == "--step") {
            AutomationMove move;
            move.text = a + " " + v;
            std::string values, times;
            const bool isRamp = a == "--ramp";
            const bool good =
                SplitAssignment(v, &move.param, &text) && SplitAt(text, &values, &times) &&
                (isRamp ? ParsePair(values, &move.from, &move.to) &&
                              ParseSpan(times, &move.start, &move.end)
                        : ParseNumber(values, &move.to) && ParseHostTime(times, &move.start));
            if (!good || !IsUnit(move.to) || (isRamp && !IsUnit(move.from))) {
                return fail(isRamp ? "--ramp wants PARAM=A:B@T1:T2, unit values in [0, 1] and "
                                     "times (2s, 8b or frames) with T1 before T2, got " +
                                         v
                                   : "--step wants PARAM=V@T, a unit value in [0, 1] at a time "
                                     "(2s, 8b or frames), got " +
                                         v);
            }
            if (!isRamp) {
                move.from = move.to;
                move.end = move.start;
            }
            if (move.start.unit == HostTime::Unit::Beats || move.end.unit == HostTime::Unit::Beats)
                beatsWanted = a;
            o->automation.push_back(move);
        } else if (a == "--resend") {
            o->resend.push_back(v);
        } else if (a == "--product") {
            o->host.productString = v;
        } else if (a == "--stress-rounds") {
            if (!ParseInt(v, &o->stressRounds) || o->stressRounds < 1) {
                return fail("bad --stress-rounds " + v);
            }
        } else if (a == "--vendor-version") {
            if (!ParseInt(v, &o->host.vendorVersion)) return fail("bad --vendor-version " + v);
        } else if (a == "--load-chunk") {
            o->loadChunk = v;
        } else if (a == "--save-chunk") {
            o->saveChunk = v;
        } else if (a == "--load-fxp") {
            o->loadFxp = v;
        } else if (a == "--load-fxb") {
            o->loadFxb = v;
        } else if (a == "--save-fxp") {
            o->saveFxp = v;
        } else if (a == "--save-fxb") {
            o->saveFxb = v;
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
        } else if (a == "--length") {
            if (!ParseNumber(v, &o->length) || !(o->length > 0)) return fail("bad --length " + v);
        } else if (a == "--map" || a == "--automation") {
            ParamIndication indication;
            bool good = SplitAssignment(v, &name, &text);
            if (good && a == "--automation") {
                good = ParseAutomation(text, &indication);
            } else if (good && text == "off") {
                indication.mapped = false;
            } else if (good) {
                good = ParseColour(text, &indication.argb);
            }
            if (!good) {
                return fail(a == "--map" ? "--map wants PARAM=#RRGGBB, auto or off, got " + v
                                         : "--automation wants PARAM=STATE[:COLOUR], got " + v);
            }
            o->indications.emplace_back(name, indication);
        } else if (a == "--menu") {
            o->menu = true;
            o->menuTarget = v == "plugin" ? std::string() : v;
        } else if (a == "--menu-action") {
            int action;
            if (!ParseInt(v, &action) || action < 0) return fail("bad --menu-action " + v);
            o->menuActions.push_back(static_cast<uint32_t>(action));
        } else if (a == "--editor-shot") {
            o->editorShot = v;
        } else if (a == "--editor-scale") {
            if (!ParseNumber(v, &o->editorScale) || !(o->editorScale > 0))
                return fail("bad --editor-scale " + v);
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
    if (ramp && tempoGiven) return fail("--tempo and --tempo-ramp exclude each other");
    TransportPlan& plan = o->host.transport;
    if (ramp && (plan.mapRamp || !plan.tempoSteps.empty()))
        return fail("--tempo-ramp excludes the tempo map's --tempo-step and --tempo-map-ramp");
    for (const TempoStep& step : plan.tempoSteps) {
        if (plan.mapRamp && step.atBeat > plan.mapRampStart && step.atBeat < plan.mapRampEnd)
            return fail("a --tempo-step falls inside the --tempo-map-ramp");
    }
    if (startTempoReported && !plan.mapRamp)
        return fail("--report-ramp-start-tempo needs --tempo-map-ramp");
    plan.reportRampStartTempo = startTempoReported;
    const bool loop = plan.loopStart < plan.loopEnd;
    if (passesGiven && !loop) return fail("--loop-passes needs --loop");
    if (loop && !passesGiven) plan.loopPasses = 4;
    if (!beatsWanted.empty() && !(o->host.tempo > 0.0))
        return fail(beatsWanted + " counts in beats: it needs a tempo above 0");
    if (!o->inFile.empty() && !o->generate.empty())
        return fail("--in and --generate exclude each other");
    if (!o->info && !o->params && !o->programs && !o->requests && !o->remoteControls && !o->menu &&
        o->menuActions.empty() && o->inFile.empty() && o->generate.empty() &&
        o->saveChunk.empty() && o->saveFxp.empty() && o->saveFxb.empty() && o->editorShot.empty()) {
        o->info = true;
    }
    return true;
}

namespace {

bool LoadFile(const std::string& path, std::vector<std::uint8_t>* bytes, std::ostream& err) {
    if (ReadFile(path, bytes)) return true;
    err << "tavhost: cannot read " << path << "\n";
    return false;
}

bool SaveFile(const std::string& path, const std::vector<std::uint8_t>& bytes, const char* what,
              std::ostream& out, std::ostream& err) {
    if (!WriteFile(path, bytes)) {
        err << "tavhost: cannot write " << path << "\n";
        return false;
    }
    out << "saved " << bytes.size() << " bytes of " << what << " to " << path << "\n";
    return true;
}

// The rate changes and automation lanes on frames of the render: seconds at the
// input's rate, beats where the transport the plug-in hears first reaches them.
bool PlanChanges(const CliOptions& o, PluginInstance& plugin, const HostSettings& settings,
                 const AudioBuffer& input, RenderOptions* render, std::ostream& err) {
    auto frameOf = [&](const HostTime& time) {
        const double frames =
            time.unit == HostTime::Unit::Seconds ? time.value * input.sampleRate : time.value;
        return static_cast<std::int64_t>(std::llround(std::min(frames, 9e15)));
    };
    for (const Reactivation& again : o.reactivations)
        render->rateChanges.push_back({frameOf(again.at), again.rate});
    std::stable_sort(render->rateChanges.begin(), render->rateChanges.end(),
                     [](const RateChange& a, const RateChange& b) { return a.frame < b.frame; });

    std::vector<double> beats;
    for (const AutomationMove& move : o.automation) {
        for (const HostTime* time : {&move.start, &move.end}) {
            if (time->unit == HostTime::Unit::Beats) beats.push_back(time->value);
        }
    }
    const std::vector<std::int64_t> beatFrames =
        FramesOfBeats(MakeTransport(settings), input.NumFrames(), *render, beats);
    size_t nextBeat = 0;
    for (const AutomationMove& move : o.automation) {
        const int index = ResolveParam(plugin, move.param);
        if (index < 0) {
            err << "tavhost: no parameter " << move.param << "\n";
            return false;
        }
        FrameMove frames{0, 0, move.from, move.to};
        for (auto [time, frame] :
             {std::pair{&move.start, &frames.start}, {&move.end, &frames.end}}) {
            *frame = time->unit == HostTime::Unit::Beats ? beatFrames[nextBeat++] : frameOf(*time);
            if (*frame < 0) {
                err << "tavhost: " << move.text << ": play never reaches beat " << time->value
                    << " in the render\n";
                return false;
            }
        }
        if (frames.end < frames.start) {
            err << "tavhost: " << move.text << ": the ramp ends before it starts\n";
            return false;
        }
        auto lane = std::find_if(render->lanes.begin(), render->lanes.end(),
                                 [&](const AutomationLane& l) { return l.param == index; });
        if (lane == render->lanes.end()) {
            render->lanes.push_back({index, {}});
            lane = render->lanes.end() - 1;
        }
        lane->moves.push_back(frames);
    }
    for (AutomationLane& lane : render->lanes) {
        std::stable_sort(lane.moves.begin(), lane.moves.end(),
                         [](const FrameMove& a, const FrameMove& b) { return a.start < b.start; });
        for (size_t m = 1; m < lane.moves.size(); ++m) {
            if (lane.moves[m].start < lane.moves[m - 1].end) {
                err << "tavhost: the automation of " << plugin.ParamName(lane.param)
                    << " overlaps itself\n";
                return false;
            }
        }
    }
    return true;
}

}  // namespace

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
    if (o.length > 0) {
        const auto frames = static_cast<size_t>(std::llround(o.length * input.sampleRate));
        for (auto& channel : input.channels) channel.resize(std::min(channel.size(), frames));
    }
    if (!o.writeInput.empty() && !WriteAudioFile(o.writeInput, input, &error)) {
        err << "tavhost: " << error << "\n";
        return 1;
    }

    HostSettings settings = o.host;
    // A file brings its own rate; the plug-in should run at it.
    if (!o.inFile.empty()) settings.sampleRate = input.sampleRate;
    settings.transport.rampFrames = input.NumFrames();
    const PluginUse use{o.process, o.bankChunks, !o.saveFxp.empty() || !o.saveFxb.empty()};
    const std::unique_ptr<PluginInstance> loaded = OpenPlugin(o.module, settings, use, &error);
    if (!loaded) {
        err << "tavhost: " << error << "\n";
        return 1;
    }
    PluginInstance& plugin = *loaded;

    int status = 0;
    std::vector<std::uint8_t> bytes;
    if (!o.loadChunk.empty()) {
        if (!LoadFile(o.loadChunk, &bytes, err)) return 1;
        if (!plugin.LoadState(o.bankChunks, bytes)) {
            err << "tavhost: the plug-in refused the chunk in " << o.loadChunk << "\n";
            status = 1;
        }
    }
    for (const auto& [path, file] :
         {std::pair{o.loadFxb, FxFile::Bank}, {o.loadFxp, FxFile::Program}}) {
        if (path.empty()) continue;
        if (!LoadFile(path, &bytes, err)) return 1;
        if (!plugin.LoadPresetFile(file, bytes, &error)) {
            err << "tavhost: " << path << ": " << error << "\n";
            status = 1;
        }
    }
    if (o.program >= 0) {
        if (o.program >= plugin.NumPrograms()) {
            err << "tavhost: no program " << o.program << "\n";
            return 1;
        }
        plugin.SetProgram(o.program);
    }
    for (const auto& [name, unit] : o.setUnit) {
        int index = ResolveParam(plugin, name);
        if (index < 0) {
            err << "tavhost: no parameter " << name << "\n";
            return 1;
        }
        plugin.SetParamValue(index, unit);
    }
    for (const auto& [name, text] : o.setText) {
        int index = ResolveParam(plugin, name);
        if (index < 0) {
            err << "tavhost: no parameter " << name << "\n";
            return 1;
        }
        if (!plugin.SetParameterText(index, text)) {
            err << "tavhost: the plug-in refused \"" << text << "\" for " << name << "\n";
            status = 1;
        }
    }

    for (const auto& [name, indication] : o.indications) {
        const int index = ResolveParam(plugin, name);
        if (index < 0) {
            err << "tavhost: no parameter " << name << "\n";
            return 1;
        }
        if (!plugin.Indicate(index, indication, &error)) {
            err << "tavhost: " << error << "\n";
            return 1;
        }
    }
    int menuIndex = -1;
    if (!o.menuTarget.empty() && (menuIndex = ResolveParam(plugin, o.menuTarget)) < 0) {
        err << "tavhost: no parameter " << o.menuTarget << "\n";
        return 1;
    }
    for (const uint32_t action : o.menuActions) {
        if (!plugin.PerformMenu(menuIndex, action, &error)) {
            err << "tavhost: " << error << "\n";
            status = 1;
        }
    }

    std::vector<int> resend;
    for (const std::string& name : o.resend) {
        resend.push_back(ResolveParam(plugin, name));
        if (resend.back() < 0) {
            err << "tavhost: no parameter " << name << "\n";
            return 1;
        }
    }

    if (o.info) plugin.PrintInfo(o.module, out);
    if (o.params) plugin.PrintParams(out);
    if (o.programs) plugin.PrintPrograms(out);
    if (o.remoteControls && !plugin.PrintRemoteControls(out, &error)) {
        err << "tavhost: " << error << "\n";
        status = 1;
    }
    if (o.menu && !plugin.PrintMenu(menuIndex, out, &error)) {
        err << "tavhost: " << error << "\n";
        status = 1;
    }

    if (!o.inFile.empty() || !o.generate.empty()) {
        // Hosts only call what the plug-in offers: many have no double precision.
        if (!plugin.Supports(o.process)) {
            static const char* const kNames[] = {"replacing", "accumulating", "double"};
            err << "tavhost: the plug-in does not offer " << kNames[static_cast<int>(o.process)]
                << " processing\n";
            return 1;
        }
        if (!plugin.StartAudio(o.process, &error)) {
            err << "tavhost: " << error << "\n";
            return 1;
        }
        RenderOptions render;
        render.kind = o.process;
        render.blockSize = settings.blockSize;
        render.resend = resend;
        render.sampleAccurate = o.sampleAccurate;
        if (!PlanChanges(o, plugin, settings, input, &render, err)) return 1;
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
        std::unique_ptr<StressThread> stress;
        if (o.stress) {
            stress = std::make_unique<StressThread>(plugin, o.stressRounds);
            render.progress = [&stress, shown = render.progress](std::int64_t done,
                                                                 std::int64_t total) {
                if (shown) shown(done, total);
                stress->BlockRendered();
            };
        }
        std::string stopped;
        // Room for hours of 256-frame blocks: nothing grows while the audio runs.
        if (o.callbackTimes) AudioCallbackMark::KeepCallbackTimes(std::size_t{1} << 22);
        AudioBuffer output = Render(plugin, input, render, &stopped);
        if (stress) {
            // The input again until the rounds are done, so that every step meets the
            // audio running; a run that needs more than the limit has hung. The last
            // pass is kept: it has all the changes behind it.
            const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(120);
            int passes = 1;
            bool done = stress->Done();
            while (!done && stopped.empty() && input.NumFrames() > 0 &&
                   std::chrono::steady_clock::now() < limit) {
                output = Render(plugin, input, render, &stopped);
                ++passes;
                done = stress->Done();
            }
            const StressCounts counts = stress->Stop();
            out << "stress: " << counts.rounds
                << " rounds beside the audio: " << counts.stateReloads << " state reloads, "
                << counts.programChanges << " program changes, " << counts.editorCycles
                << " editor cycles; the input rendered " << passes << " times\n";
            if (!done && stopped.empty()) {
                err << "tavhost: under --stress, " << counts.rounds << " of " << o.stressRounds
                    << " rounds done when the audio ended (at 120 s at the latest)\n";
                status = 1;
            }
            if (!counts.editorSkipped.empty())
                out << "stress: no editor: " << counts.editorSkipped << "\n";
            if (!counts.failure.empty()) {
                err << "tavhost: under --stress, " << counts.failure << "\n";
                status = 1;
            }
        }
        plugin.StopAudio();
        AudioCallbackMark::PrintCallbackTimes(out);
        if (!stopped.empty()) {
            err << "tavhost: " << stopped << "\n";
            status = 1;
        }
        PrintLevels(output, out);
        if (!o.outFile.empty() && !WriteAudioFile(o.outFile, output, &error)) {
            err << "tavhost: " << error << "\n";
            status = 1;
        }
    }

    if (!o.editorShot.empty()) {
        if (o.editorScale > 0 && !plugin.SetEditorScale(o.editorScale, &error)) {
            err << "tavhost: " << error << "\n";
            status = 1;
        } else if (SaveEditorScreenshot(plugin, o.editorShot, &error)) {
            out << "saved the editor's picture to " << o.editorShot << "\n";
        } else {
            err << "tavhost: " << error << "\n";
            status = 1;
        }
    }

    if (!o.saveChunk.empty()) {
        bytes = plugin.SaveState(o.bankChunks);
        const char* what = plugin.StateName(o.bankChunks);
        if (bytes.empty()) {
            err << "tavhost: the plug-in gave no " << what << "\n";
            status = 1;
        } else if (!SaveFile(o.saveChunk, bytes, what, out, err)) {
            status = 1;
        }
    }
    for (const auto& [path, file, what] :
         {std::tuple{o.saveFxp, FxFile::Program, "program"}, {o.saveFxb, FxFile::Bank, "bank"}}) {
        if (!path.empty() && !SaveFile(path, plugin.SavePresetFile(file), what, out, err)) {
            status = 1;
        }
    }
    if (o.requests) plugin.PrintRequests(out);
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
