#include "host/hosted_plugin.h"

namespace tav {

bool HostedPlugin::StartAudio(ProcessKind kind, std::string* error) {
    StopAudio();
    if (!Activate(kind, error)) return false;
    active_ = true;
    if (!StartProcessing(error)) {
        StopAudio();
        return false;
    }
    return true;
}

void HostedPlugin::StopAudio() {
    if (!active_) return;
    StopProcessing();
    Deactivate();
    active_ = false;
}

bool HostedPlugin::ChangeSampleRate(double rate, std::string*) {
    settings_.sampleRate = rate;
    SetTransportRate(rate);
    return true;
}

std::vector<std::uint8_t> HostedPlugin::SaveState(bool bank) {
    FlushChanges();
    return ReadState(bank);
}

bool HostedPlugin::LoadState(bool bank, const std::vector<std::uint8_t>& bytes) {
    FlushChanges();
    return WriteState(bank, bytes);
}

bool HostedPlugin::ReloadStateBesideAudio() {
    const std::vector<std::uint8_t> bytes = ReadState(false);
    return !bytes.empty() && WriteState(false, bytes);
}

void HostedPlugin::PrintInfo(const std::string& module, std::ostream& out) {
    out << "module        " << module << "\n";
    PrintIdentity(out);
    out << "inputs        " << NumInputs() << "\n"
        << "outputs       " << NumOutputs() << "\n"
        << "parameters    " << NumParams() << "\n"
        << "programs      " << NumPrograms() << ProgramsNote() << "\n";
    PrintDetails(out);
}

void HostedPlugin::PrintRequests(std::ostream& out) {
    out << "host requests:\n";
    PrintHostCalls(out);
}

std::string HostedPlugin::SampleSizes() const {
    std::string sizes;
    for (ProcessKind kind : {ProcessKind::Replacing, ProcessKind::Double}) {
        if (!Supports(kind)) continue;
        sizes += sizes.empty() ? "" : " ";
        sizes += kind == ProcessKind::Double ? "64" : "32";
    }
    return sizes;
}

bool HostedPlugin::EditorReady(std::string* error) {
    int width = 0, height = 0;
    return EditorSize(&width, &height, error);
}

}  // namespace tav
