// Program and bank chunks from a host or a project file, through effSetChunk.
// After every chunk the plug-in holds either exactly what the chunk says (as an
// independent reading of the format predicts it) or exactly its previous state,
// and its audio stays finite.
#include <cmath>
#include <cstring>
#include <optional>

#include "tests/fuzz/fuzz_plugin.h"
#include "vst2/ivst_effect.h"

namespace tav::fuzz {
namespace {

constexpr uint32_t kMagic = 0x70666674;
constexpr int32_t kBankVersion = 0x00010000;
constexpr size_t kNameLimit = 255;

struct Range {
    double min, max;
};

double Clamp(double x, Range r) {
    if (!(x >= r.min)) x = r.min;
    if (x > r.max) x = r.max;
    return x;
}

std::vector<double> Clamped(std::vector<double> values, const std::vector<Range>& ranges) {
    for (size_t i = 0; i < values.size(); ++i) values[i] = Clamp(values[i], ranges[i]);
    return values;
}

// count values from pos, all finite; none when they do not fit.
std::optional<std::vector<double>> Block(const std::vector<uint8_t>& c, size_t pos, size_t count) {
    if (pos + 8 * count > c.size()) return std::nullopt;
    std::vector<double> values;
    for (size_t i = 0; i < count; ++i) {
        values.push_back(ReadF64(c.data() + pos + 8 * i));
        if (!std::isfinite(values.back())) return std::nullopt;
    }
    return values;
}

// What the state must be after the chunk is accepted; none when it must be refused.
std::optional<StateImage> Predict(const StateImage& before, const std::vector<uint8_t>& c,
                                  bool bank, const std::vector<Range>& ranges) {
    const size_t params = ranges.size();
    StateImage after = before;
    size_t pos = 0;
    int32_t version = 0;
    if (c.size() >= 4 && static_cast<uint32_t>(ReadInt32(c.data())) == kMagic) {
        if (c.size() < 8) return std::nullopt;
        version = ReadInt32(c.data() + 4);
        pos = 8;
    }
    PresetImage& current = after.presets[static_cast<size_t>(after.program)];
    if (!bank || version < kBankVersion) {
        const auto values = Block(c, pos, params);
        size_t end = 0;
        const auto settings = SettingsAfter(c, std::min(c.size(), pos + 8 * params), end);
        if (!values || !settings) return std::nullopt;
        after.live = Clamped(*values, ranges);
        current.values = after.live;
        after.sweepSync = settings->sweepSync;
        after.glide = settings->glide;
        return after;
    }
    for (PresetImage& preset : after.presets) {
        if (pos + 4 > c.size()) return std::nullopt;
        const int32_t length = ReadInt32(c.data() + pos);
        pos += 4;
        if (length < 0 || pos + static_cast<size_t>(length) + 1 > c.size()) return std::nullopt;
        std::string name(reinterpret_cast<const char*>(c.data() + pos),
                         std::min<size_t>(static_cast<size_t>(length), kNameLimit));
        preset.name = name.substr(0, name.find('\0'));
        pos += static_cast<size_t>(length);
        preset.initialised = c[pos++] != 0;
        preset.values.clear();
        if (preset.initialised) {
            const auto values = Block(c, pos, params);
            if (!values) return std::nullopt;
            preset.values = *values;
            after.live = Clamped(*values, ranges);  // each stored preset passes through
            pos += 8 * params;
        }
    }
    size_t end = 0;
    const auto settings = SettingsAfter(c, pos, end);
    if (!settings) return std::nullopt;
    after.sweepSync = settings->sweepSync;
    after.glide = settings->glide;
    // The current program is recalled; a placeholder becomes the next user preset.
    if (current.initialised) {
        after.live = Clamped(current.values, ranges);
    } else {
        int users = 0;
        for (const PresetImage& preset : after.presets) {
            users += preset.name.find("user preset") != std::string::npos ? 1 : 0;
        }
        current.initialised = true;
        current.name = "user preset " + std::to_string(users + 1);
    }
    current.values = after.live;  // a bank read stores the live values in it first
    return after;
}

}  // namespace
}  // namespace tav::fuzz

// Input: one byte of set-up, then the chunk. Set-up bits: 0 bank (else program),
// 1-4 program to select first (values 10-15 select none), 5 move a parameter
// first, 6 hand back the plug-in's own chunk cut to the input's length.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tav;
    using namespace tav::fuzz;
    if (size < 1) return 0;
    const uint8_t setup = data[0];
    const bool bank = (setup & 1) != 0;
    FuzzedPlugin plugin;
    AEffect* effect = plugin.Effect();
    const int program = (setup >> 1) & 15;
    if (program < effect->numPrograms) plugin.Dispatch(effSetProgram, 0, program);
    if ((setup & 32) != 0) effect->setParameter(effect, setup % effect->numParams, 0.7f);

    std::vector<Range> ranges;
    IVstEffect* core = IVstEffect::FromEffect(effect);
    for (int i = 0; i < effect->numParams; ++i) {
        ranges.push_back({core->Param(i)->minValue, core->Param(i)->maxValue});
    }

    const StateImage before = Capture(plugin);
    std::vector<uint8_t> chunk(data + 1, data + size);
    VstIntPtr accepted;
    if ((setup & 64) != 0) {
        // Hosts hand back the very pointer they were given.
        void* own = nullptr;
        const VstIntPtr ownSize = plugin.Dispatch(effGetChunk, bank ? 0 : 1, 0, &own);
        FUZZ_CHECK(ownSize > 0 && own != nullptr, "no chunk to hand back");
        const auto length = std::min<VstIntPtr>(ownSize, static_cast<VstIntPtr>(chunk.size()));
        chunk.assign(static_cast<uint8_t*>(own), static_cast<uint8_t*>(own) + length);
        accepted = plugin.Dispatch(effSetChunk, bank ? 0 : 1, length, own);
    } else {
        ExactBuffer bytes(chunk.size());
        if (!chunk.empty()) std::memcpy(bytes.Data(), chunk.data(), chunk.size());
        accepted = plugin.Dispatch(effSetChunk, bank ? 0 : 1, static_cast<VstIntPtr>(chunk.size()),
                                   bytes.Data());
    }
    const StateImage after = Capture(plugin);
    const std::optional<StateImage> predicted = Predict(before, chunk, bank, ranges);

    FUZZ_CHECK(accepted == 0 || accepted == 1, "answer " + std::to_string(accepted));
    FUZZ_CHECK((accepted == 1) == predicted.has_value(),
               accepted == 1 ? "a damaged chunk was accepted" : "a sound chunk was refused");
    const std::string difference = Difference(accepted == 1 ? *predicted : before, after);
    FUZZ_CHECK(difference.empty(), difference);
    FUZZ_CHECK(plugin.ProcessesFinite(64), "audio not finite after the chunk");
    return 0;
}
