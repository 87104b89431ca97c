#include "tests/fuzz/fuzz_plugin.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "vst2/vst_entry.h"

namespace tav::fuzz {

HostTransport& Transport() {
    static HostTransport transport;
    return transport;
}

EditNotices& Notices() {
    static EditNotices notices;
    return notices;
}

namespace {

VstIntPtr HostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float) {
    static VstTimeInfo info;
    switch (opcode) {
        case audioMasterBeginEdit:
            ++Notices().begins;
            return 1;
        case audioMasterEndEdit:
            ++Notices().ends;
            return 1;
        case audioMasterAutomate:
            ++Notices().automations;
            return 1;
        case audioMasterVersion:
            return 2400;
        case audioMasterGetTime: {
            const HostTransport& t = Transport();
            info = {};
            info.sampleRate = 44100.0;
            info.samplePos = t.samplePos;
            info.tempo = t.tempo;
            info.timeSigNumerator = t.timeSigNumerator;
            info.timeSigDenominator = t.timeSigDenominator;
            info.flags = t.flags;
            return reinterpret_cast<VstIntPtr>(&info);
        }
        case audioMasterGetProductString:
            // Within the 64 bytes the interface allows.
            if (ptr != nullptr) std::snprintf(static_cast<char*>(ptr), 64, "fuzz host");
            return 1;
        case audioMasterGetVendorVersion:
            return 10000;
        default:
            return 0;
    }
}

}  // namespace

ExactBuffer::ExactBuffer(size_t size, uint8_t fill) : bytes_(new uint8_t[size]), size_(size) {
    if (size > 0) std::memset(bytes_.get(), fill, size);
}

ExactBuffer TextBuffer(const uint8_t* bytes, size_t size) {
    ExactBuffer text(size + 1);
    if (size > 0) std::memcpy(text.Data(), bytes, size);
    text.Data()[size] = 0;
    return text;
}

FuzzedPlugin::FuzzedPlugin() {
    Transport() = HostTransport();
    Notices() = EditNotices();
    Create();
}

FuzzedPlugin::~FuzzedPlugin() {
    Close();
}

void FuzzedPlugin::Reload() {
    Close();
    Create();
}

void FuzzedPlugin::Create() {
    effect_ = VSTPluginMain(&HostCallback);
    FUZZ_CHECK(effect_ != nullptr && effect_->magic == kEffectMagic, "no instance");
    Dispatch(effOpen);
    Dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
    Dispatch(effSetBlockSize, 0, 512);
    Dispatch(effMainsChanged, 0, 1);
}

void FuzzedPlugin::Close() {
    Dispatch(effMainsChanged, 0, 0);
    Dispatch(effClose);
    effect_ = nullptr;
}

VstIntPtr FuzzedPlugin::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                 float opt) {
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

std::vector<uint8_t> FuzzedPlugin::Chunk(bool bank) {
    void* data = nullptr;
    const VstIntPtr size = Dispatch(effGetChunk, bank ? 0 : 1, 0, &data);
    if (size <= 0 || data == nullptr) return {};
    const auto* bytes = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(bytes, bytes + size);
}

bool FuzzedPlugin::ProcessesFinite(int frames) {
    std::vector<float> left(static_cast<size_t>(frames)), right(left.size());
    std::vector<double> leftD(left.size()), rightD(left.size());
    float* io[2] = {left.data(), right.data()};
    double* ioD[2] = {leftD.data(), rightD.data()};
    bool finite = true;
    for (int pass = 0; pass < 3; ++pass) {
        for (int c = 0; c < 2; ++c) {
            FillSamples(io[c], frames, pass * frames);
            FillSamples(ioD[c], frames, pass * frames);
        }
        if (pass == 0) effect_->processReplacing(effect_, io, io, frames);
        if (pass == 1) effect_->process(effect_, io, io, frames);
        if (pass == 2) effect_->processDoubleReplacing(effect_, ioD, ioD, frames);
        for (int c = 0; c < 2; ++c) {
            finite = finite && AllFinite(io[c], frames) && AllFinite(ioD[c], frames);
        }
    }
    return finite;
}

int32_t ReadInt32(const uint8_t* p) {
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 |
                                static_cast<uint32_t>(p[3]) << 24);
}

double ReadF64(const uint8_t* p) {
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) bits = bits << 8 | p[i];
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

namespace {

constexpr size_t kHeader = 8;

std::vector<double> Doubles(const std::vector<uint8_t>& bytes, size_t& pos, int count) {
    std::vector<double> values;
    for (int i = 0; i < count; ++i, pos += 8) {
        FUZZ_CHECK(pos + 8 <= bytes.size(), "chunk ends inside a value");
        values.push_back(ReadF64(bytes.data() + pos));
    }
    return values;
}

bool SameBits(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * 8) == 0);
}

std::string Values(const std::vector<double>& values) {
    std::string text;
    for (double v : values) text += std::to_string(v) + " ";
    return text;
}

}  // namespace

std::optional<StateImage> SettingsAfter(const std::vector<uint8_t>& chunk, size_t pos,
                                        size_t& end) {
    StateImage settings;
    int* const steps[] = {&settings.sweepSync, &settings.glide};
    const char* const tags[] = {"TvSy", "TvGl"};
    for (int i = 0; i < 2; ++i) {
        const size_t left = chunk.size() - pos;
        const size_t compared = std::min<size_t>(left, 4);
        if (compared == 0 || std::memcmp(chunk.data() + pos, tags[i], compared) != 0) continue;
        if (left < 12) return std::nullopt;
        const int32_t version = ReadInt32(chunk.data() + pos + 4);
        const int32_t step = ReadInt32(chunk.data() + pos + 8);
        if (version != 1 || (step != 0 && step != 1)) return std::nullopt;
        *steps[i] = step;
        pos += 12;
    }
    end = pos;
    return settings;
}

namespace {
// The plug-in's own chunk ends with its settings' trailers, and nothing more.
StateImage OwnSettingsAfter(const std::vector<uint8_t>& chunk, size_t pos,
                            const std::string& which) {
    size_t end = 0;
    const std::optional<StateImage> settings = SettingsAfter(chunk, pos, end);
    FUZZ_CHECK(settings && end == chunk.size(),
               which + " chunk longer than its data and the settings' trailers");
    return *settings;
}
}  // namespace

StateImage Capture(FuzzedPlugin& plugin) {
    AEffect* effect = plugin.Effect();
    StateImage image;
    image.program = static_cast<int>(plugin.Dispatch(effGetProgram));
    const std::vector<uint8_t> program = plugin.Chunk(false);
    FUZZ_CHECK(program.size() >= kHeader + 8u * static_cast<size_t>(effect->numParams),
               "program chunk of " + std::to_string(program.size()) + " bytes");
    size_t pos = kHeader;
    image.live = Doubles(program, pos, effect->numParams);
    const StateImage settings = OwnSettingsAfter(program, pos, "program");
    image.sweepSync = settings.sweepSync;
    image.glide = settings.glide;

    const std::vector<uint8_t> bank = plugin.Chunk(true);
    FUZZ_CHECK(bank.size() >= kHeader, "bank chunk without header");
    pos = kHeader;
    for (int i = 0; i < effect->numPrograms; ++i) {
        PresetImage preset;
        FUZZ_CHECK(pos + 4 <= bank.size(), "bank chunk ends in a name length");
        const int32_t length = ReadInt32(bank.data() + pos);
        pos += 4;
        FUZZ_CHECK(length >= 0 && pos + static_cast<size_t>(length) + 1 <= bank.size(),
                   "bank chunk ends in a name");
        preset.name.assign(reinterpret_cast<const char*>(bank.data() + pos),
                           static_cast<size_t>(length));
        pos += static_cast<size_t>(length);
        preset.initialised = bank[pos++] != 0;
        if (preset.initialised) preset.values = Doubles(bank, pos, effect->numParams);
        image.presets.push_back(preset);
    }
    const StateImage inBank = OwnSettingsAfter(bank, pos, "bank");
    FUZZ_CHECK(inBank.sweepSync == image.sweepSync && inBank.glide == image.glide,
               "the bank and program chunks disagree on the settings");
    return image;
}

std::string Difference(const StateImage& expected, const StateImage& actual) {
    if (expected.program != actual.program) {
        return "program " + std::to_string(expected.program) + " expected, " +
               std::to_string(actual.program) + " found";
    }
    if (!SameBits(expected.live, actual.live)) {
        return "live values expected " + Values(expected.live) + "\nfound " + Values(actual.live);
    }
    if (expected.sweepSync != actual.sweepSync) return "sweep sync differs";
    if (expected.glide != actual.glide) return "glide differs";
    if (expected.presets.size() != actual.presets.size()) return "preset count differs";
    for (size_t i = 0; i < expected.presets.size(); ++i) {
        const PresetImage& e = expected.presets[i];
        const PresetImage& a = actual.presets[i];
        const std::string where = "preset " + std::to_string(i) + ": ";
        if (e.name != a.name) return where + "name '" + e.name + "' expected, '" + a.name + "'";
        if (e.initialised != a.initialised) return where + "initialised flag differs";
        if (!SameBits(e.values, a.values)) {
            return where + "values expected " + Values(e.values) + "\nfound " + Values(a.values);
        }
    }
    return "";
}

void RequireOwnChunksTaken(FuzzedPlugin& plugin) {
    const StateImage image = Capture(plugin);
    for (const bool bank : {true, false}) {
        std::vector<uint8_t> chunk = plugin.Chunk(bank);
        ExactBuffer copy(chunk.size());
        std::memcpy(copy.Data(), chunk.data(), chunk.size());
        const VstIntPtr taken = plugin.Dispatch(effSetChunk, bank ? 0 : 1,
                                                static_cast<VstIntPtr>(copy.Size()), copy.Data());
        FUZZ_CHECK(taken == 1, bank ? "own bank refused" : "own program refused");
        const std::string difference = Difference(image, Capture(plugin));
        FUZZ_CHECK(difference.empty(), difference);
    }
}

}  // namespace tav::fuzz
