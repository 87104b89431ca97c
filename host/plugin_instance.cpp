#include "host/plugin_instance.h"

#include <cctype>
#include <cstdio>

#include "host/formats/fx_preset.h"
#include "host/formats/hosted_clap.h"
#include "host/formats/hosted_vst2.h"
#include "host/formats/hosted_vst3.h"

namespace tav {
namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// What a VST 3, CLAP or LV2 plug-in cannot do here; empty when the use suits it.
std::string FormatRefusal(const PluginUse& use, const std::string& format) {
    const std::string article = format == "LV2" ? "an " : "a ";
    if (format == "LV2" && use.process != ProcessKind::Replacing) {
        return "an LV2 plug-in processes 32-bit audio only; use --process replacing";
    }
    if (use.process == ProcessKind::Accumulating) {
        return article + format +
               " plug-in has no accumulating processing; use --process replacing "
               "(32-bit) or double (64-bit)";
    }
    if (use.bankChunks)
        return "--bank is for VST 2 chunks; " + article + format + " state is always whole";
    if (use.savesPresetFiles) {
        return "--save-fxp and --save-fxb write VST 2 files: save from the VST 2 module";
    }
    return std::string();
}

}  // namespace

namespace {
bool OnlyClap(const char* what, std::string* error) {
    *error = std::string(what) + " are CLAP's: give a .clap module";
    return false;
}
}  // namespace

bool PluginInstance::PrintRemoteControls(std::ostream&, std::string* error) {
    return OnlyClap("remote-control pages", error);
}
bool PluginInstance::Indicate(int, const ParamIndication&, std::string* error) {
    return OnlyClap("parameter indications", error);
}
bool PluginInstance::PrintMenu(int, std::ostream&, std::string* error) {
    return OnlyClap("plug-in menu entries", error);
}
bool PluginInstance::PerformMenu(int, uint32_t, std::string* error) {
    return OnlyClap("plug-in menu entries", error);
}

int PluginInstance::BlockFrames(int wanted) {
    std::lock_guard<std::mutex> hold(transportMutex_);
    return transport_.MaxFrames(wanted);
}

void PluginInstance::AdvanceTransport(int frames) {
    std::lock_guard<std::mutex> hold(transportMutex_);
    transport_.Advance(frames);
}

void PluginInstance::SetTempo(double bpm) {
    std::lock_guard<std::mutex> hold(transportMutex_);
    transport_.SetTempo(bpm);
}

void PluginInstance::StartTransport(const HostSettings& settings) {
    std::lock_guard<std::mutex> hold(transportMutex_);
    transport_ = MakeTransport(settings);
}

void PluginInstance::SetTransportRate(double rate) {
    std::lock_guard<std::mutex> hold(transportMutex_);
    transport_.SetSampleRate(rate);
}

TransportState PluginInstance::TransportNow() {
    std::lock_guard<std::mutex> hold(transportMutex_);
    return transport_.Now();
}

int PluginInstance::FindParam(const std::string& name) {
    const std::string wanted = Lower(name);
    for (int i = 0; i < NumParams(); ++i) {
        if (Lower(ParamName(i)) == wanted) return i;
    }
    return -1;
}

bool PluginInstance::LoadPresetFile(FxFile file, const std::vector<std::uint8_t>& bytes,
                                    std::string* error) {
    if (!CheckFxFile(file, bytes, error)) return false;
    if (LoadState(false, bytes)) return true;
    *error = "the plug-in refused it as its state";
    return false;
}

void PluginInstance::PrintParams(std::ostream& out) {
    out << "parameters:\n";
    for (int i = 0; i < NumParams(); ++i) {
        char line[256];
        std::snprintf(line, sizeof line, "  %3d  %-24s %-8s %-16s %.6f\n", ParamNumber(i),
                      ParamName(i).c_str(), ParamLabel(i).c_str(), ParamDisplay(i).c_str(),
                      ParamValue(i));
        out << line;
    }
}

void PluginInstance::PrintPrograms(std::ostream& out) {
    out << "programs:\n";
    const int current = Program();
    for (int i = 0; i < NumPrograms(); ++i) {
        out << (i == current ? "  * " : "    ") << i << "  " << ProgramName(i) << "\n";
    }
}

std::unique_ptr<PluginInstance> OpenPlugin(const std::string& path, const HostSettings& settings,
                                           const PluginUse& use, std::string* error) {
    const bool isLv2 = IsLv2Plugin(path);
    const bool isClap = !isLv2 && IsClapModule(path);
    if (isLv2 || isClap || IsVst3Module(path)) {
        *error = FormatRefusal(use, isLv2 ? "LV2" : isClap ? "CLAP" : "VST 3");
        if (!error->empty()) return nullptr;
        if (isLv2) return OpenLv2Plugin(path, settings, error);
        if (isClap) return HostedClap::Load(path, settings, error);
        return HostedVst3::Load(path, settings, error);
    }
    std::unique_ptr<HostedVst2> vst2 = HostedVst2::Load(path, settings, error);
    if (!vst2) return nullptr;
    vst2->Open();
    vst2->SetSampleRate(settings.sampleRate);
    vst2->SetBlockSize(settings.blockSize);
    return vst2;
}

}  // namespace tav
