// The DSP binary as LV2 hosts load it, through lv2_descriptor: renders against
// the VST 2 module, refusals, unconnected ports, control values out of range,
// and transport atoms broken or well made. checks/check-lv2-bundle checks the
// bundle with lilv's own tools.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/time/time.h>
#include <lv2/urid/urid.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "effect/factory_presets.h"
#include "host/formats/hosted_vst2.h"
#include "lv2/lv2_ports.h"

namespace tav {
namespace {

using namespace lv2;
using Channels = std::vector<std::vector<float>>;

constexpr double kRate = 44100.0;

// A stereo chord with a little noise, the right side a fifth above.
Channels Signal(int frames) {
    Channels in(2, std::vector<float>(static_cast<size_t>(frames)));
    uint32_t seed = 12345;
    for (int f = 0; f < frames; ++f) {
        seed = seed * 1664525u + 1013904223u;
        const double noise = (static_cast<double>(seed >> 8) / 16777216.0 - 0.5) * 0.1;
        const double t = f / kRate;
        in[0][f] = static_cast<float>(0.4 * std::sin(2 * std::numbers::pi * 220 * t) + noise);
        in[1][f] = static_cast<float>(0.3 * std::sin(2 * std::numbers::pi * 330 * t) - noise);
    }
    return in;
}

class UridMap {
  public:
    LV2_URID operator()(const char* uri) { return Map(this, uri); }
    LV2_URID_Map* Feature() { return &map_; }

  private:
    static LV2_URID Map(LV2_URID_Map_Handle handle, const char* uri) {
        auto& uris = static_cast<UridMap*>(handle)->uris_;
        for (size_t i = 0; i < uris.size(); ++i) {
            if (uris[i] == uri) return static_cast<LV2_URID>(i + 1);
        }
        uris.emplace_back(uri);
        return static_cast<LV2_URID>(uris.size());
    }
    std::vector<std::string> uris_;
    LV2_URID_Map map_{this, Map};
};

const LV2_Descriptor* Descriptor() {
    static void* module = dlopen(TAV_LV2_BINARY, RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) return nullptr;
    using Entry = const LV2_Descriptor* (*)(uint32_t);
    auto entry = reinterpret_cast<Entry>(dlsym(module, "lv2_descriptor"));
    return entry != nullptr ? entry(0) : nullptr;
}

// One atom sequence for the control port, built event by event.
class Sequence {
  public:
    explicit Sequence(UridMap& urids) : urids_(urids) {}
    // A time:Position with these (key, value) pairs, doubles as atom:Double.
    Sequence& Position(int64_t frame, const std::vector<std::pair<const char*, double>>& values) {
        std::vector<uint8_t> body(sizeof(LV2_Atom_Object_Body));
        const LV2_Atom_Object_Body head{0, urids_(LV2_TIME__Position)};
        std::memcpy(body.data(), &head, sizeof head);
        for (const auto& [key, value] : values) {
            const LV2_Atom_Property_Body property{
                urids_(key), 0, {sizeof(double), urids_(LV2_ATOM__Double)}};
            Append(body, &property, sizeof property);
            Append(body, &value, sizeof value);
        }
        return Event(frame, urids_(LV2_ATOM__Object), body);
    }
    Sequence& Event(int64_t frame, LV2_URID type, const std::vector<uint8_t>& body) {
        LV2_Atom_Event event{};
        event.time.frames = frame;
        event.body = {static_cast<uint32_t>(body.size()), type};
        Append(events_, &event, sizeof event);
        Append(events_, body.data(), body.size());
        events_.resize((events_.size() + 7) & ~size_t{7});
        return *this;
    }
    std::vector<uint8_t>& Bytes() { return events_; }
    // Into the port's buffer, as the host writes it before each run.
    void WriteTo(std::vector<uint64_t>& buffer, LV2_URID unit = 0) const {
        const LV2_Atom_Sequence head{
            {static_cast<uint32_t>(sizeof(LV2_Atom_Sequence_Body) + events_.size()),
             urids_(LV2_ATOM__Sequence)},
            {unit, 0}};
        buffer.assign((sizeof head + events_.size()) / 8 + 1, 0);
        std::memcpy(buffer.data(), &head, sizeof head);
        if (!events_.empty())
            std::memcpy(reinterpret_cast<uint8_t*>(buffer.data()) + sizeof head, events_.data(),
                        events_.size());
    }

  private:
    static void Append(std::vector<uint8_t>& out, const void* data, size_t size) {
        const auto* bytes = static_cast<const uint8_t*>(data);
        out.insert(out.end(), bytes, bytes + size);
    }
    UridMap& urids_;
    std::vector<uint8_t> events_;
};

// What a run hands the control port: nothing but the frames of the block.
using BlockEvents = std::function<void(int64_t start, int frames, std::vector<uint64_t>& atoms)>;

class Instance {
  public:
    explicit Instance(bool withMap = true) {
        features_ = {withMap ? &mapFeature_ : nullptr, nullptr};
        const double rate = kRate;
        handle_ = Descriptor()->instantiate(Descriptor(), rate, "", features_.data());
        for (uint32_t port = kPortFirstParam; port < kPortEnabled; ++port)
            controls_[port] = static_cast<float>(
                kFactoryPresets[0].values[static_cast<size_t>(ParamOfPort(port))]);
        controls_[kPortEnabled] = 1.0f;
    }
    ~Instance() {
        if (handle_ != nullptr) {
            Descriptor()->deactivate(handle_);
            Descriptor()->cleanup(handle_);
        }
    }
    LV2_Handle Handle() const { return handle_; }
    UridMap& Urids() { return urids_; }
    float& Control(uint32_t port) { return controls_[port]; }
    // A factory program, as a host applies its preset: every parameter's port.
    void SetPreset(int program) {
        for (uint32_t port = kPortFirstParam; port < kPortEnabled; ++port)
            controls_[port] = static_cast<float>(
                kFactoryPresets[program].values[static_cast<size_t>(ParamOfPort(port))]);
    }

    Channels Render(const Channels& in, int block, const BlockEvents& events = nullptr) {
        const auto* d = Descriptor();
        Channels input = in;
        Channels out(2, std::vector<float>(in[0].size(), 0.0f));
        for (uint32_t port = kPortFirstParam; port <= kPortSweepSync; ++port)
            d->connect_port(handle_, port, &controls_[port]);
        d->connect_port(handle_, kPortLatency, &latency_);
        d->activate(handle_);
        const int total = static_cast<int>(in[0].size());
        for (int start = 0; start < total; start += block) {
            const int frames = std::min(block, total - start);
            // Hosts may move buffers between runs.
            d->connect_port(handle_, kPortInLeft, input[0].data() + start);
            d->connect_port(handle_, kPortInRight, input[1].data() + start);
            d->connect_port(handle_, kPortOutLeft, out[0].data() + start);
            d->connect_port(handle_, kPortOutRight, out[1].data() + start);
            Sequence(urids_).WriteTo(atoms_);
            if (events) events(start, frames, atoms_);
            d->connect_port(handle_, kPortControl, atoms_.data());
            d->run(handle_, static_cast<uint32_t>(frames));
        }
        d->deactivate(handle_);
        return out;
    }
    float Latency() const { return latency_; }

  private:
    UridMap urids_;
    LV2_Feature mapFeature_{LV2_URID__map, urids_.Feature()};
    std::vector<const LV2_Feature*> features_;
    LV2_Handle handle_ = nullptr;
    float controls_[kPortCount] = {};
    float latency_ = -1.0f;
    std::vector<uint64_t> atoms_;
};

// The song playing from its start at this tempo, said once, as LV2 hosts do.
BlockEvents PlayingAt(UridMap& urids, double bpm) {
    return [&urids, bpm](int64_t start, int, std::vector<uint64_t>& atoms) {
        if (start != 0) return;
        Sequence(urids)
            .Position(0, {{LV2_TIME__beatsPerMinute, bpm},
                          {LV2_TIME__speed, 1.0},
                          {LV2_TIME__bar, 0.0},
                          {LV2_TIME__barBeat, 0.0},
                          {LV2_TIME__beatsPerBar, 4.0},
                          {LV2_TIME__beatUnit, 4.0},
                          {LV2_TIME__frame, 0.0}})
            .WriteTo(atoms);
    };
}

Channels Vst2Render(const Channels& in, int program, double tempo) {
    HostSettings settings;
    settings.tempo = tempo;
    std::string error;
    auto plugin = HostedVst2::Load(TAV_VST2_MODULE, settings, &error);
    EXPECT_TRUE(plugin) << error;
    if (!plugin) return {};
    plugin->Start();
    if (program > 0) plugin->SetProgram(program);
    Channels input = in;
    Channels out(2, std::vector<float>(in[0].size()));
    const int total = static_cast<int>(in[0].size());
    for (int start = 0; start < total; start += settings.blockSize) {
        const int frames = std::min(settings.blockSize, total - start);
        float* ins[2] = {input[0].data() + start, input[1].data() + start};
        float* outs[2] = {out[0].data() + start, out[1].data() + start};
        plugin->Process(ProcessKind::Replacing, ins, outs, frames);
        plugin->AdvanceTransport(frames);
    }
    return out;
}

struct RenderCase {
    int program;   // 0: the defaults
    double tempo;  // 0: none given
    int block;
};
void PrintTo(const RenderCase& c, std::ostream* out) {
    *out << "program " << c.program << ", tempo " << c.tempo << ", blocks of " << c.block;
}

class Lv2Render : public testing::TestWithParam<RenderCase> {};

TEST_P(Lv2Render, EqualsTheVst2ModuleBitForBit) {
    const RenderCase& c = GetParam();
    const Channels in = Signal(44100);
    Instance lv2;
    ASSERT_NE(lv2.Handle(), nullptr);
    lv2.SetPreset(c.program);
    const Channels got =
        lv2.Render(in, c.block, c.tempo > 0.0 ? PlayingAt(lv2.Urids(), c.tempo) : BlockEvents{});
    const Channels want = Vst2Render(in, c.program, c.tempo);
    ASSERT_EQ(want.size(), 2u);
    for (int ch = 0; ch < 2; ++ch) {
        for (size_t f = 0; f < in[0].size(); ++f)
            ASSERT_EQ(got[ch][f], want[ch][f]) << "channel " << ch << ", frame " << f;
    }
    EXPECT_EQ(lv2.Latency(), 0.0f);
}

std::vector<RenderCase> RenderCases() {
    std::vector<RenderCase> cases;
    for (int block : {1, 64, 4096}) {
        for (int program = 0; program < kFactoryPresetCount; ++program)
            cases.push_back({program, 0.0, block});
        cases.push_back({0, 97.0, block});
        cases.push_back({1, 140.0, block});
    }
    return cases;
}
INSTANTIATE_TEST_SUITE_P(Settings, Lv2Render, testing::ValuesIn(RenderCases()));

// lv2:enabled the right way round: 0 is the dry input to the bit once the
// bypass fade is over, 1 the effect as the VST 2 module plays it, whichever way
// it switches mid-song.
TEST(Lv2Plugin, EnabledZeroIsTheDrySignalAndOneTheEffect) {
    struct Case {
        const char* name;
        float before;
        float after;
    };
    const Case cases[] = {{"enabled throughout", 1.0f, 1.0f},
                          {"bypassed throughout", 0.0f, 0.0f},
                          {"enabled, then bypassed", 1.0f, 0.0f},
                          {"bypassed, then enabled", 0.0f, 1.0f}};
    constexpr int kSwitch = 8192;
    constexpr int kFade = 256;  // a little over the 5 ms fade
    const Channels in = Signal(16384);
    const Channels effect = Vst2Render(in, 0, 0.0);
    ASSERT_EQ(effect.size(), 2u);
    ASSERT_NE(effect, in);
    for (const Case& c : cases) {
        Instance lv2;
        const Channels got = lv2.Render(in, 512, [&](int64_t start, int, std::vector<uint64_t>&) {
            lv2.Control(kPortEnabled) = start < kSwitch ? c.before : c.after;
        });
        for (int ch = 0; ch < 2; ++ch) {
            for (int f = 0; f < static_cast<int>(in[0].size()); ++f) {
                if (f >= kSwitch && f < kSwitch + kFade) continue;
                const bool enabled = (f < kSwitch ? c.before : c.after) != 0.0f;
                const Channels& want = enabled ? effect : in;
                ASSERT_EQ(got[ch][f], want[ch][f])
                    << c.name << ": channel " << ch << ", frame " << f << " should be "
                    << (enabled ? "the effect" : "dry");
            }
        }
    }
}

// The first frame where two renders part, -1 where they agree throughout.
int FirstDifference(const Channels& a, const Channels& b) {
    for (size_t f = 0; f < a[0].size(); ++f) {
        if (a[0][f] != b[0][f] || a[1][f] != b[1][f]) return static_cast<int>(f);
    }
    return -1;
}

// time:beatsPerMinute counts beats of time:beatUnit: the same song told in
// quarters, eighths (6/8) or halves sweeps the same, free or locked to the song.
TEST(Lv2Plugin, BeatUnitSetsWhatABeatIs) {
    struct Telling {
        double unit;
        double beatsPerBar;
    };
    const Telling tellings[] = {{8.0, 6.0}, {2.0, 2.0}};
    constexpr double kQuarterBpm = 90.0;
    constexpr double kQuarterBeat = 5.25;  // where the song is at the first frame
    const Channels in = Signal(16384);
    const auto render = [&](double sync, double unit, double beatsPerBar, double quarterBpm) {
        Instance lv2;
        lv2.Control(kPortSweepSync) = static_cast<float>(sync);
        const double perQuarter = unit / 4.0;
        return lv2.Render(in, 512, [&](int64_t start, int, std::vector<uint64_t>& atoms) {
            if (start != 0) return;
            Sequence(lv2.Urids())
                .Position(0, {{LV2_TIME__beatsPerMinute, quarterBpm * perQuarter},
                              {LV2_TIME__speed, 1.0},
                              {LV2_TIME__beat, kQuarterBeat * perQuarter},
                              {LV2_TIME__beatsPerBar, beatsPerBar},
                              {LV2_TIME__beatUnit, unit}})
                .WriteTo(atoms);
        });
    };
    for (double sync : {0.0, 1.0}) {
        // In quarters, right and wrong readings agree: that is the reference.
        const Channels quarters = render(sync, 4.0, 3.0, kQuarterBpm);
        ASSERT_NE(FirstDifference(render(sync, 4.0, 3.0, kQuarterBpm * 2.0), quarters), -1)
            << "tempo not heard";
        for (const Telling& t : tellings) {
            EXPECT_EQ(FirstDifference(render(sync, t.unit, t.beatsPerBar, kQuarterBpm), quarters),
                      -1)
                << (sync != 0.0 ? "song" : "free") << ", beat unit " << t.unit;
        }
    }
}

TEST(Lv2Plugin, RefusesNonsenseAtInstantiation) {
    const auto* d = Descriptor();
    ASSERT_NE(d, nullptr);
    EXPECT_STREQ(d->URI, kPluginUri);
    UridMap urids;
    const LV2_Feature map{LV2_URID__map, urids.Feature()};
    const LV2_Feature* features[] = {&map, nullptr};
    EXPECT_EQ(d->instantiate(d, kRate, "", nullptr), nullptr);
    for (double rate : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN(), 1e12,
                        std::numeric_limits<double>::infinity()}) {
        EXPECT_EQ(d->instantiate(d, rate, "", features), nullptr) << rate;
    }
    EXPECT_EQ(d->extension_data(LV2_URID__map), nullptr);
    EXPECT_EQ(reinterpret_cast<const LV2_Descriptor* (*)(uint32_t)>(
                  dlsym(dlopen(TAV_LV2_BINARY, RTLD_NOW | RTLD_NOLOAD), "lv2_descriptor"))(1),
              nullptr);
}

TEST(Lv2Plugin, UnconnectedPortsGiveSilenceWhereAnOutputIs) {
    const auto* d = Descriptor();
    Instance lv2;
    ASSERT_NE(lv2.Handle(), nullptr);
    d->activate(lv2.Handle());
    d->run(lv2.Handle(), 64);  // nothing connected at all
    std::vector<float> out(256, 0.5f);
    d->connect_port(lv2.Handle(), kPortOutLeft, out.data());
    d->run(lv2.Handle(), 256);  // no input, no controls, one output
    for (float sample : out) ASSERT_EQ(sample, 0.0f);
    d->connect_port(lv2.Handle(), kPortCount, out.data());  // no such port
    d->run(lv2.Handle(), 0);
}

// A control value the parameter cannot take sounds as the nearest it can; NaN
// changes nothing.
TEST(Lv2Plugin, ControlValuesOutOfRangeAreClamped) {
    struct Case {
        uint32_t port;
        float given;
        float heard;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Case cases[] = {{kPortFirstParam, 1e9f, 20000.0f},   {kPortFirstParam, -5.0f, 40.0f},
                          {kPortFirstParam + 2, nan, 30.0f},   {kPortFirstParam + 10, -3.0f, 0.0f},
                          {kPortFirstParam + 3, 99.0f, 30.0f}, {kPortEnabled, nan, 1.0f},
                          {kPortEnabled, 0.2f, 0.0f},          {kPortSweepSync, 7.0f, 1.0f}};
    const Channels in = Signal(8192);
    for (const Case& c : cases) {
        Instance given, heard;
        given.Control(c.port) = c.given;
        heard.Control(c.port) = c.heard;
        EXPECT_EQ(given.Render(in, 512), heard.Render(in, 512))
            << "port " << kPortSymbols[c.port] << " at " << c.given;
    }
}

// A tempo change inside a block takes effect at its frame, as if a block began there.
TEST(Lv2Plugin, TempoChangesInsideABlockLandAtTheirFrame) {
    const Channels in = Signal(8192);
    Instance inside, split, steady;
    const Channels one = inside.Render(in, 8192, [&](int64_t, int, std::vector<uint64_t>& atoms) {
        Sequence(inside.Urids())
            .Position(0, {{LV2_TIME__beatsPerMinute, 120.0}, {LV2_TIME__speed, 1.0}})
            .Position(3000, {{LV2_TIME__beatsPerMinute, 150.0}})
            .WriteTo(atoms);
    });
    // Blocks of 3000 and the rest: the tempo of each said at its start only.
    const Channels both =
        split.Render(in, 3000, [&](int64_t start, int, std::vector<uint64_t>& atoms) {
            if (start == 0)
                Sequence(split.Urids())
                    .Position(0, {{LV2_TIME__beatsPerMinute, 120.0}, {LV2_TIME__speed, 1.0}})
                    .WriteTo(atoms);
            if (start == 3000)
                Sequence(split.Urids())
                    .Position(0, {{LV2_TIME__beatsPerMinute, 150.0}})
                    .WriteTo(atoms);
        });
    EXPECT_EQ(one, both);
    EXPECT_NE(one, steady.Render(in, 8192, PlayingAt(steady.Urids(), 120.0)));
}

// LV2 hosts say where the song is only when it changes: a song-locked sweep goes
// on from there as if it were said in every block.
TEST(Lv2Plugin, TheSongPositionIsKeptBetweenBlocks) {
    const Channels in = Signal(16384);
    const auto position = [](UridMap& urids, int64_t start, std::vector<uint64_t>& atoms) {
        const double bpm = 133.0;
        Sequence(urids)
            .Position(0,
                      {{LV2_TIME__beatsPerMinute, bpm},
                       {LV2_TIME__speed, 1.0},
                       {LV2_TIME__beat, 6.37 + static_cast<double>(start) * bpm / (60.0 * kRate)},
                       {LV2_TIME__beatsPerBar, 4.0},
                       {LV2_TIME__beatUnit, 4.0}})
            .WriteTo(atoms);
    };
    Instance once, every, stopped;
    for (Instance* lv2 : {&once, &every, &stopped}) lv2->Control(kPortSweepSync) = 1.0f;
    const Channels saidOnce =
        once.Render(in, 512, [&](int64_t start, int, std::vector<uint64_t>& atoms) {
            if (start == 0) position(once.Urids(), start, atoms);
        });
    const Channels saidEvery =
        every.Render(in, 512, [&](int64_t start, int, std::vector<uint64_t>& atoms) {
            position(every.Urids(), start, atoms);
        });
    EXPECT_EQ(saidOnce, saidEvery);
    // Stopped, the sweep is not locked to the song: the position must be heard.
    const Channels stoppedAt =
        stopped.Render(in, 512, [&](int64_t start, int, std::vector<uint64_t>& atoms) {
            if (start == 0)
                Sequence(stopped.Urids())
                    .Position(0, {{LV2_TIME__beatsPerMinute, 133.0},
                                  {LV2_TIME__speed, 0.0},
                                  {LV2_TIME__beat, 6.37}})
                    .WriteTo(atoms);
        });
    EXPECT_NE(saidOnce, stoppedAt);
}

// A host without urid:map (lilv's lv2apply) gets the plug-in all the same; its
// control port cannot be read, so the sweep runs as without a tempo.
TEST(Lv2Plugin, WithoutUridMapTheControlPortIsNotRead) {
    const Channels in = Signal(4096);
    Instance unmapped(false), mapped;
    ASSERT_NE(unmapped.Handle(), nullptr);
    UridMap elsewhere;
    const Channels got = unmapped.Render(in, 256, PlayingAt(elsewhere, 200.0));
    EXPECT_EQ(got, mapped.Render(in, 256));
}

// Broken atoms on the control port are passed over: each carries a tempo that
// would be heard if it were read.
TEST(Lv2Plugin, MalformedTransportAtomsAreIgnored) {
    using Spoil = std::function<void(UridMap&, std::vector<uint64_t>&)>;
    const auto tempo = [](UridMap& urids) {
        Sequence sequence(urids);
        sequence.Position(0, {{LV2_TIME__beatsPerMinute, 200.0}, {LV2_TIME__speed, 1.0}});
        return sequence;
    };
    const auto bytes = [](std::vector<uint64_t>& atoms) {
        return reinterpret_cast<uint8_t*>(atoms.data());
    };
    constexpr size_t kEvent = sizeof(LV2_Atom_Sequence);  // the first event's header
    constexpr size_t kObject = kEvent + sizeof(LV2_Atom_Event);
    constexpr size_t kProperty = kObject + sizeof(LV2_Atom_Object_Body);
    const std::vector<std::pair<const char*, Spoil>> cases = {
        {"an event longer than the sequence",
         [&](UridMap& u, std::vector<uint64_t>& a) {
             tempo(u).WriteTo(a);
             const uint32_t size = 1u << 20;
             std::memcpy(bytes(a) + kEvent + offsetof(LV2_Atom_Event, body.size), &size, 4);
         }},
        {"a property longer than its object",
         [&](UridMap& u, std::vector<uint64_t>& a) {
             tempo(u).WriteTo(a);
             const uint32_t size = 4096;
             std::memcpy(bytes(a) + kProperty + offsetof(LV2_Atom_Property_Body, value.size), &size,
                         4);
         }},
        {"a value too short for its type",
         [&](UridMap& u, std::vector<uint64_t>& a) {
             tempo(u).WriteTo(a);
             const uint32_t size = 2;
             std::memcpy(bytes(a) + kProperty + offsetof(LV2_Atom_Property_Body, value.size), &size,
                         4);
         }},
        {"an object of another type",
         [&](UridMap& u, std::vector<uint64_t>& a) {
             tempo(u).WriteTo(a);
             const LV2_URID other = u(LV2_TIME__Rate);
             std::memcpy(bytes(a) + kObject + offsetof(LV2_Atom_Object_Body, otype), &other, 4);
         }},
        {"a tempo as a string",
         [&](UridMap& u, std::vector<uint64_t>& a) {
             tempo(u).WriteTo(a);
             const LV2_URID string = u(LV2_ATOM__String);
             std::memcpy(bytes(a) + kProperty + offsetof(LV2_Atom_Property_Body, value.type),
                         &string, 4);
         }},
        {"times in beats",
         [&](UridMap& u, std::vector<uint64_t>& a) { tempo(u).WriteTo(a, u(LV2_ATOM__beatTime)); }},
        {"a buffer that is no sequence",
         [&](UridMap& u, std::vector<uint64_t>& a) {
             tempo(u).WriteTo(a);
             const LV2_URID tuple = u(LV2_ATOM__Tuple);
             std::memcpy(bytes(a) + offsetof(LV2_Atom, type), &tuple, 4);
         }},
        {"a sequence shorter than its header",
         [&](UridMap& u, std::vector<uint64_t>& a) {
             tempo(u).WriteTo(a);
             const uint32_t size = 4;
             std::memcpy(bytes(a), &size, 4);
         }},
    };
    const Channels in = Signal(4096);
    Instance plain, read;
    const Channels none = plain.Render(in, 256);
    const Channels heard = read.Render(
        in, 256, [&](int64_t, int, std::vector<uint64_t>& a) { tempo(read.Urids()).WriteTo(a); });
    ASSERT_NE(heard, none);
    // Ardour 7 leaves the sequence's unit uninitialised: its times are frames all the same.
    Instance ardour;
    EXPECT_EQ(ardour.Render(in, 256,
                            [&](int64_t, int, std::vector<uint64_t>& a) {
                                tempo(ardour.Urids()).WriteTo(a, 0x5555);
                            }),
              heard);
    for (const auto& [name, spoil] : cases) {
        Instance broken;
        EXPECT_EQ(
            broken.Render(
                in, 256, [&](int64_t, int, std::vector<uint64_t>& a) { spoil(broken.Urids(), a); }),
            none)
            << name;
    }
}

}  // namespace
}  // namespace tav
