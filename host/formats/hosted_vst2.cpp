#include "host/formats/hosted_vst2.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ostream>

#include "host/audio_callback_mark.h"
#include "host/formats/fx_preset.h"
#include "host/formats/transport_report.h"

namespace tav {
namespace {

// Text answers go into buffers far larger than any VST 2.4 length, as most hosts
// do, so a plug-in that overruns its limit does not trample our memory.
constexpr size_t kTextBuffer = 512;

// The instance being created: plug-ins may call back from inside their entry
// point, before we could put ourselves into the record's user field.
thread_local HostedVst2* creating = nullptr;

void CopyText(void* ptr, const std::string& text, size_t capacity) {
    if (ptr == nullptr || capacity == 0) return;
    size_t n = std::min(text.size(), capacity - 1);
    std::memcpy(ptr, text.data(), n);
    static_cast<char*>(ptr)[n] = '\0';
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

}  // namespace

void HostRequestLog::Record(const HostRequest& request) {
    if (request.opcode >= 0 && request.opcode < kOpcodes) {
        counts[request.opcode].fetch_add(1, std::memory_order_relaxed);
    }
    // Time queries arrive every block; counting them is enough.
    if (request.opcode == audioMasterGetTime) return;
    std::lock_guard<std::mutex> hold(mutex);
    if (entries.size() < kMaxEntries) entries.push_back(request);
}

int HostRequestLog::Count(VstInt32 opcode) const {
    if (opcode < 0 || opcode >= kOpcodes) return 0;
    return counts[opcode].load(std::memory_order_relaxed);
}

std::vector<HostRequest> HostRequestLog::Entries() const {
    std::lock_guard<std::mutex> hold(mutex);
    return entries;
}

void HostRequestLog::Clear() {
    for (auto& count : counts) count.store(0, std::memory_order_relaxed);
    std::lock_guard<std::mutex> hold(mutex);
    entries.clear();
}

const char* HostOpcodeName(VstInt32 opcode) {
    switch (opcode) {
        case audioMasterAutomate:
            return "audioMasterAutomate";
        case audioMasterVersion:
            return "audioMasterVersion";
        case audioMasterCurrentId:
            return "audioMasterCurrentId";
        case audioMasterIdle:
            return "audioMasterIdle";
        case audioMasterWantMidi:
            return "audioMasterWantMidi";
        case audioMasterGetTime:
            return "audioMasterGetTime";
        case audioMasterProcessEvents:
            return "audioMasterProcessEvents";
        case audioMasterIOChanged:
            return "audioMasterIOChanged";
        case audioMasterSizeWindow:
            return "audioMasterSizeWindow";
        case audioMasterGetSampleRate:
            return "audioMasterGetSampleRate";
        case audioMasterGetBlockSize:
            return "audioMasterGetBlockSize";
        case audioMasterGetCurrentProcessLevel:
            return "audioMasterGetCurrentProcessLevel";
        case audioMasterGetVendorString:
            return "audioMasterGetVendorString";
        case audioMasterGetProductString:
            return "audioMasterGetProductString";
        case audioMasterGetVendorVersion:
            return "audioMasterGetVendorVersion";
        case audioMasterCanDo:
            return "audioMasterCanDo";
        case audioMasterUpdateDisplay:
            return "audioMasterUpdateDisplay";
        case audioMasterBeginEdit:
            return "audioMasterBeginEdit";
        case audioMasterEndEdit:
            return "audioMasterEndEdit";
        default:
            return "audioMaster?";
    }
}

bool HostedVst2::Create(const std::string& path, std::string* error) {
    if (!library.Load(path, error)) return false;
    auto entry = reinterpret_cast<VstEntryProc>(library.FindEntry());
    if (entry == nullptr) {
        *error = path + " exports neither VSTPluginMain nor main";
        return false;
    }
    creating = this;
    AEffect* made = entry(&HostedVst2::Callback);
    creating = nullptr;
    if (made == nullptr) {
        *error = path + ": the entry point returned no effect";
        return false;
    }
    if (made->magic != kEffectMagic) {
        *error = path + ": the effect record has the wrong magic";
        return false;
    }
    made->user = this;
    effect = made;
    return true;
}

HostedVst2::~HostedVst2() {
    Close();
}

void HostedVst2::Close() {
    if (effect == nullptr) return;
    AEffect* closing = effect;
    closing->dispatcher(closing, effClose, 0, 0, nullptr, 0.0f);
    effect = nullptr;
}

VstIntPtr HostedVst2::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                               float opt) {
    if (effect == nullptr) return 0;
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

void HostedVst2::Start() {
    Open();
    SetSampleRate(settings_.sampleRate);
    SetBlockSize(settings_.blockSize);
    Resume();
}

void HostedVst2::SetSampleRate(double rate) {
    {
        std::lock_guard<std::mutex> hold(settingsMutex);
        settings_.sampleRate = rate;
    }
    SetTransportRate(rate);
    Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
}

void HostedVst2::SetBlockSize(int frames) {
    {
        std::lock_guard<std::mutex> hold(settingsMutex);
        settings_.blockSize = frames;
    }
    Dispatch(effSetBlockSize, 0, frames);
}

std::string HostedVst2::ReadText(VstInt32 opcode, VstInt32 index) {
    char text[kTextBuffer] = {};
    Dispatch(opcode, index, 0, text);
    text[kTextBuffer - 1] = '\0';
    return text;
}

std::string HostedVst2::EffectName() {
    return ReadText(effGetEffectName, 0);
}
std::string HostedVst2::VendorString() {
    return ReadText(effGetVendorString, 0);
}
std::string HostedVst2::ProductString() {
    return ReadText(effGetProductString, 0);
}
std::string HostedVst2::ParamName(int index) {
    return ReadText(effGetParamName, index);
}
std::string HostedVst2::ParamLabel(int index) {
    return ReadText(effGetParamLabel, index);
}
std::string HostedVst2::ParamDisplay(int index) {
    return ReadText(effGetParamDisplay, index);
}

std::string HostedVst2::ProgramName(int index) {
    char text[kTextBuffer] = {};
    // Category -1: every program.
    if (Dispatch(effGetProgramNameIndexed, index, -1, text) == 0 && index == Program()) {
        Dispatch(effGetProgramName, 0, 0, text);
    }
    text[kTextBuffer - 1] = '\0';
    return text;
}

bool HostedVst2::SetParameterText(int index, const std::string& text) {
    std::vector<char> copy(text.begin(), text.end());
    copy.push_back('\0');
    return Dispatch(effString2Parameter, index, 0, copy.data()) != 0;
}

std::vector<std::uint8_t> HostedVst2::GetChunk(bool isBank) {
    void* data = nullptr;
    VstIntPtr size = Dispatch(effGetChunk, isBank ? 0 : 1, 0, &data);
    if (size <= 0 || data == nullptr) return {};
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return std::vector<std::uint8_t>(bytes, bytes + size);
}

bool HostedVst2::SetChunk(bool isBank, const std::vector<std::uint8_t>& bytes) {
    // Plug-ins take the bytes as non-const; hand them a copy.
    std::vector<std::uint8_t> copy = bytes;
    return Dispatch(effSetChunk, isBank ? 0 : 1, static_cast<VstIntPtr>(copy.size()),
                    copy.empty() ? nullptr : copy.data()) != 0;
}

bool HostedVst2::Supports(ProcessKind kind) const {
    if (effect == nullptr) return false;
    switch (kind) {
        case ProcessKind::Replacing:
            return (effect->flags & effFlagsCanReplacing) != 0 &&
                   effect->processReplacing != nullptr;
        case ProcessKind::Double:
            return (effect->flags & effFlagsCanDoubleReplacing) != 0 &&
                   effect->processDoubleReplacing != nullptr;
        case ProcessKind::Accumulating:
            return effect->process != nullptr;
    }
    return false;
}

void HostedVst2::Process(ProcessKind kind, float** inputs, float** outputs, int frames) {
    if (kind == ProcessKind::Double || !Supports(kind)) return;
    const AudioCallbackMark mark;
    if (kind == ProcessKind::Accumulating) {
        effect->process(effect, inputs, outputs, frames);
    } else {
        effect->processReplacing(effect, inputs, outputs, frames);
    }
}

void HostedVst2::ProcessDouble(double** inputs, double** outputs, int frames) {
    if (Supports(ProcessKind::Double)) {
        const AudioCallbackMark mark;
        effect->processDoubleReplacing(effect, inputs, outputs, frames);
    }
}

const VstTimeInfo* HostedVst2::TimeInfo(VstIntPtr /*wanted*/) {
    // One record per thread: the pointer a plug-in holds stays stable and no other
    // thread's query rewrites it under its feet.
    thread_local VstTimeInfo info;
    info = Vst2TimeInfo(TransportNow());
    return &info;
}

VstIntPtr HostedVst2::Callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                               void* ptr, float opt) {
    HostedVst2* self = effect != nullptr ? static_cast<HostedVst2*>(effect->user) : nullptr;
    if (self == nullptr) self = creating;
    if (self == nullptr) {
        return opcode == audioMasterVersion ? 2400 : 0;
    }
    return self->Answer(opcode, index, value, ptr, opt);
}

VstIntPtr HostedVst2::Answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                             float opt) {
    HostRequest request{opcode, index, value, opt, {}};
    if (opcode == audioMasterCanDo && ptr != nullptr) {
        request.text = static_cast<const char*>(ptr);
    }
    requests.Record(request);

    switch (opcode) {
        case audioMasterVersion:
            return 2400;
        case audioMasterGetTime:
            return reinterpret_cast<VstIntPtr>(TimeInfo(value));
        case audioMasterProcessEvents:
            return ptr != nullptr ? 1 : 0;
        case audioMasterGetSampleRate: {
            std::lock_guard<std::mutex> hold(settingsMutex);
            return static_cast<VstIntPtr>(settings_.sampleRate);
        }
        case audioMasterGetBlockSize: {
            std::lock_guard<std::mutex> hold(settingsMutex);
            return settings_.blockSize;
        }
        case audioMasterGetVendorString:
            CopyText(ptr, settings_.vendorString, kVstMaxVendorStrLen);
            return ptr != nullptr ? 1 : 0;
        case audioMasterGetProductString:
            CopyText(ptr, settings_.productString, kVstMaxProductStrLen);
            return ptr != nullptr ? 1 : 0;
        case audioMasterGetVendorVersion:
            return settings_.vendorVersion;
        case audioMasterCanDo: {
            static const char* const kCanDo[] = {"sendVstEvents",       "sendVstMidiEvent",
                                                 "sendVstTimeInfo",     "receiveVstEvents",
                                                 "receiveVstMidiEvent", "sizeWindow"};
            if (ptr == nullptr) return 0;
            for (const char* text : kCanDo) {
                if (request.text == text) return 1;
            }
            return 0;
        }
        case audioMasterSizeWindow:
            return onEditorResize && onEditorResize(index, static_cast<int>(value)) ? 1 : 0;
        case audioMasterIOChanged:
        case audioMasterUpdateDisplay:
        case audioMasterBeginEdit:
        case audioMasterEndEdit:
            return 1;
        default:
            return 0;
    }
}

bool HostedVst2::EditorSize(int* width, int* height, std::string* error) {
    if ((effect->flags & effFlagsHasEditor) == 0) {
        *error = "the plug-in has no editor";
        return false;
    }
    ERect* rect = nullptr;
    if (Dispatch(effEditGetRect, 0, 0, &rect) == 0 || rect == nullptr) {
        *error = "the plug-in gave no editor size";
        return false;
    }
    *width = rect->right - rect->left;
    *height = rect->bottom - rect->top;
    return true;
}

// The call hosts that scale plug-in windows make: effVendorSpecific 'PreS' 'AeCs'
// with the factor.
bool HostedVst2::SetEditorScale(double factor, std::string* error) {
    if (Dispatch(effVendorSpecific, 0x50726553, 0x41654373, nullptr, static_cast<float>(factor)) ==
        0) {
        *error = "the plug-in took no scale factor";
        return false;
    }
    return true;
}

bool HostedVst2::OpenEditorIn(void* parent, std::string* error) {
    if (Dispatch(effEditOpen, 0, 0, parent) != 0) return true;
    *error = "the plug-in did not open its editor";
    return false;
}

bool HostedVst2::LoadPresetFile(FxFile file, const std::vector<std::uint8_t>& bytes,
                                std::string* error) {
    return LoadFx(*this, file, bytes, error);
}

std::vector<std::uint8_t> HostedVst2::SavePresetFile(FxFile file) {
    return SaveFx(*this, file);
}

void HostedVst2::PrintIdentity(std::ostream& out) {
    const AEffect* e = effect;
    const auto category = Dispatch(effGetPlugCategory);
    char id[16];
    std::snprintf(id, sizeof id, "0x%08X", static_cast<unsigned>(e->uniqueID));
    out << "effect        " << EffectName() << "\n"
        << "vendor        " << VendorString() << "\n"
        << "product       " << ProductString() << "\n"
        << "version       " << e->version << " (vendor version " << Dispatch(effGetVendorVersion)
        << ")\n"
        << "unique id     " << id << " '" << FourChars(e->uniqueID) << "'\n"
        << "vst version   " << Dispatch(effGetVstVersion) << "\n"
        << "category      " << category << "\n";
}

void HostedVst2::PrintDetails(std::ostream& out) {
    const AEffect* e = effect;
    char flags[16];
    std::snprintf(flags, sizeof flags, "0x%X", static_cast<unsigned>(e->flags));
    out << "flags         " << flags << " (" << FlagNames(e->flags) << ")\n"
        << "latency       " << e->initialDelay << "\n";
}

void HostedVst2::PrintHostCalls(std::ostream& out) {
    for (int op = 0; op < HostRequestLog::kOpcodes; ++op) {
        if (int n = requests.Count(op)) {
            char line[128];
            std::snprintf(line, sizeof line, "  %-36s %d\n", HostOpcodeName(op), n);
            out << line;
        }
    }
    const auto entries = requests.Entries();
    constexpr size_t kShown = 64;
    for (size_t i = 0; i < entries.size() && i < kShown; ++i) {
        const HostRequest& r = entries[i];
        char opt[64];
        std::snprintf(opt, sizeof opt, "%g", static_cast<double>(r.opt));
        out << "  #" << i << " " << HostOpcodeName(r.opcode) << "(" << r.opcode << ") index "
            << r.index << " value " << r.value << " opt " << opt;
        if (!r.text.empty()) out << " \"" << r.text << "\"";
        out << "\n";
    }
    if (entries.size() > kShown) out << "  ... " << entries.size() - kShown << " more\n";
}

}  // namespace tav
