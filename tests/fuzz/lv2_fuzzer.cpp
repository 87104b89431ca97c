// LV2 host calls with hostile arguments, made through lv2_descriptor: any rate
// and features (urid:map or not, options of any key, type and size), ports
// connected in any order or left unconnected, control values of any float (NaN,
// huge), atom sequences that lie about their sizes or carry time:Position objects
// with odd types, and runs of any length up to the buffers' size. Finite audio in
// must give finite audio out, and the latency port must read 0.
#include <fuzzer/FuzzedDataProvider.h>
#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <lv2/time/time.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "lv2/lv2_ports.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" const LV2_Descriptor* lv2_descriptor(uint32_t index);

namespace tav::fuzz {
namespace {

using tav::lv2::kPortCount;

constexpr uint32_t kMaxFrames = 4096;
constexpr uint32_t kAtomCapacity = 2048;
const void* volatile extensionSink = nullptr;

// A host's URID map: every URI it is asked for, numbered from 1.
struct UridMap {
    std::vector<std::string> uris;
    LV2_URID_Map feature{this, &UridMap::Map};

    static LV2_URID Map(LV2_URID_Map_Handle handle, const char* uri) {
        auto& uris = static_cast<UridMap*>(handle)->uris;
        for (size_t i = 0; i < uris.size(); ++i) {
            if (uris[i] == uri) return static_cast<LV2_URID>(i + 1);
        }
        uris.emplace_back(uri);
        return static_cast<LV2_URID>(uris.size());
    }
    LV2_URID operator()(const char* uri) { return Map(this, uri); }
};

float ControlValue(FuzzedDataProvider& in) {
    static const float kInteresting[] = {0.0f,
                                         1.0f,
                                         -1.0f,
                                         2.0f,
                                         2500.0f,
                                         20000.0f,
                                         -60.0f,
                                         1e30f,
                                         -1e30f,
                                         1e-40f,
                                         std::numeric_limits<float>::infinity(),
                                         -std::numeric_limits<float>::infinity(),
                                         std::numeric_limits<float>::quiet_NaN()};
    return in.ConsumeBool() ? in.PickValueInArray(kInteresting)
                            : in.ConsumeFloatingPointInRange(-30000.0f, 30000.0f);
}

// A growing atom sequence in a host's port buffer of fixed capacity.
class AtomWriter {
  public:
    explicit AtomWriter(uint8_t* buffer) : bytes_(buffer) {}
    uint32_t size() const { return size_; }
    bool Room(uint32_t n) const { return size_ + n <= kAtomCapacity; }
    void Put(const void* data, uint32_t n) {
        if (!Room(n)) return;
        std::memcpy(bytes_ + size_, data, n);
        size_ += n;
    }
    template <class T>
    void Put(const T& value) {
        Put(&value, sizeof value);
    }
    void Pad() {
        while (size_ % 8 != 0 && Room(1)) bytes_[size_++] = 0;
    }

  private:
    uint8_t* bytes_;
    uint32_t size_ = 0;
};

// One time:Position property: a key the plug-in reads (or not) and a value of
// the right type, another type, or a size that does not match.
void PutProperty(AtomWriter& w, FuzzedDataProvider& in, UridMap& map) {
    static const char* const kKeys[] = {
        LV2_TIME__beatsPerMinute, LV2_TIME__speed, LV2_TIME__bar,
        LV2_TIME__barBeat,        LV2_TIME__beat,  LV2_TIME__beatsPerBar,
        LV2_TIME__beatUnit,       LV2_TIME__frame, LV2_TIME__framesPerSecond};
    static const char* const kTypes[] = {LV2_ATOM__Float, LV2_ATOM__Double, LV2_ATOM__Int,
                                         LV2_ATOM__Long,  LV2_ATOM__Bool,   LV2_ATOM__String};
    LV2_Atom_Property_Body property = {};
    property.key =
        in.ConsumeBool() ? map(in.PickValueInArray(kKeys)) : in.ConsumeIntegral<LV2_URID>();
    property.value.type =
        in.ConsumeBool() ? map(in.PickValueInArray(kTypes)) : in.ConsumeIntegral<LV2_URID>();
    uint8_t value[8] = {};
    switch (in.ConsumeIntegralInRange(0, 3)) {
        case 0: {
            const float f = ControlValue(in);
            std::memcpy(value, &f, sizeof f);
            break;
        }
        case 1: {
            const double d = in.ConsumeBool() ? std::numeric_limits<double>::quiet_NaN()
                                              : in.ConsumeFloatingPoint<double>();
            std::memcpy(value, &d, sizeof d);
            break;
        }
        default: {
            const int64_t n = in.ConsumeIntegral<int64_t>();
            std::memcpy(value, &n, sizeof n);
            break;
        }
    }
    static const uint32_t kSizes[] = {0, 1, 4, 8, 16, 0xFFFFFFF0u};
    property.value.size =
        in.ConsumeBool() ? in.PickValueInArray(kSizes) : in.ConsumeIntegralInRange<uint32_t>(0, 64);
    w.Put(property);
    w.Put(value, std::min<uint32_t>(property.value.size, sizeof value));
    w.Pad();
}

// The control port's sequence: events of any time, type and size, mostly
// time:Position objects; the outer size now and then larger than what follows.
void WriteSequence(uint8_t* buffer, FuzzedDataProvider& in, UridMap& map, uint32_t frames) {
    std::memset(buffer, 0, kAtomCapacity);
    AtomWriter w(buffer);
    LV2_Atom_Sequence head = {};
    head.atom.type = in.ConsumeIntegralInRange(0, 7) == 0 ? in.ConsumeIntegral<LV2_URID>()
                                                          : map(LV2_ATOM__Sequence);
    head.body.unit = in.ConsumeBool() ? in.ConsumeIntegral<uint32_t>() : 0;
    w.Put(head);
    const int events = in.ConsumeIntegralInRange(0, 12);
    for (int e = 0; e < events && w.Room(sizeof(LV2_Atom_Event)); ++e) {
        const uint32_t eventAt = w.size();
        LV2_Atom_Event event = {};
        event.time.frames = in.ConsumeBool() ? in.ConsumeIntegralInRange<int64_t>(0, frames)
                                             : in.ConsumeIntegral<int64_t>();
        static const char* const kObjects[] = {LV2_ATOM__Object, LV2_ATOM__Blank,
                                               LV2_ATOM__Resource, LV2_ATOM__Int};
        event.body.type =
            in.ConsumeBool() ? map(in.PickValueInArray(kObjects)) : in.ConsumeIntegral<LV2_URID>();
        w.Put(event);
        LV2_Atom_Object_Body object = {};
        object.id = in.ConsumeIntegral<uint32_t>();
        object.otype = in.ConsumeIntegralInRange(0, 5) != 0 ? map(LV2_TIME__Position)
                                                            : in.ConsumeIntegral<LV2_URID>();
        w.Put(object);
        const int properties = in.ConsumeIntegralInRange(0, 9);
        for (int p = 0; p < properties; ++p) PutProperty(w, in, map);
        // The event's own size: true, or a lie either way.
        uint32_t bodySize = w.size() - eventAt - static_cast<uint32_t>(sizeof event);
        if (in.ConsumeIntegralInRange(0, 5) == 0) bodySize = in.ConsumeIntegral<uint32_t>();
        std::memcpy(buffer + eventAt + offsetof(LV2_Atom_Event, body.size), &bodySize,
                    sizeof bodySize);
    }
    // A host never claims more than its buffer holds; within it, anything.
    uint32_t size = w.size() - static_cast<uint32_t>(sizeof(LV2_Atom));
    if (in.ConsumeIntegralInRange(0, 5) == 0)
        size = in.ConsumeIntegralInRange<uint32_t>(0, kAtomCapacity - sizeof(LV2_Atom));
    std::memcpy(buffer, &size, sizeof size);
}

struct Ports {
    std::vector<float> audio[4];
    float controls[kPortCount] = {};
    alignas(8) uint8_t atoms[kAtomCapacity] = {};
    void* connected[kPortCount] = {};

    Ports() {
        for (auto& a : audio) a.assign(kMaxFrames, 0.0f);
    }
    // What the host hands over for a port: its buffer (for audio now and then the
    // other side's, in place), or none.
    void* BufferFor(uint32_t port, FuzzedDataProvider& in) {
        const int pick = in.ConsumeIntegralInRange(0, 7);
        if (pick == 0) return nullptr;
        if (port < 4) return audio[pick == 1 ? port ^ 2u : port].data();
        if (port == tav::lv2::kPortControl) return atoms;
        return &controls[port % kPortCount];
    }
};

void Instance(const LV2_Descriptor* d, FuzzedDataProvider& in) {
    UridMap map;
    const bool haveMap = in.ConsumeBool();
    int32_t maxBlock =
        in.ConsumeBool() ? static_cast<int32_t>(kMaxFrames) : in.ConsumeIntegral<int32_t>();
    alignas(8) uint8_t optionValue[8] = {};
    std::memcpy(optionValue, &maxBlock, sizeof maxBlock);
    LV2_Options_Option options[3] = {};
    options[0].context = LV2_OPTIONS_INSTANCE;
    options[0].key =
        in.ConsumeBool() ? map(LV2_BUF_SIZE__maxBlockLength) : in.ConsumeIntegral<LV2_URID>();
    options[0].size =
        in.ConsumeBool() ? sizeof(int32_t) : in.ConsumeIntegralInRange<uint32_t>(0, 8);
    options[0].type = in.ConsumeBool() ? map(LV2_ATOM__Int) : map(LV2_ATOM__Float);
    options[0].value = optionValue;
    options[1] = options[0];
    options[1].key = map(LV2_BUF_SIZE__minBlockLength);
    const LV2_Feature mapFeature = {LV2_URID__map, in.ConsumeIntegralInRange(0, 9) == 0
                                                       ? nullptr
                                                       : static_cast<void*>(&map.feature)};
    const LV2_Feature optionsFeature = {LV2_OPTIONS__options,
                                        in.ConsumeBool() ? static_cast<void*>(options) : nullptr};
    const LV2_Feature unknown = {"urn:tavrellion:fuzz#unknown", nullptr};
    const LV2_Feature nameless = {nullptr, nullptr};
    std::vector<const LV2_Feature*> features;
    if (haveMap) features.push_back(&mapFeature);
    if (in.ConsumeBool()) features.push_back(&optionsFeature);
    if (in.ConsumeBool()) features.push_back(&unknown);
    if (in.ConsumeIntegralInRange(0, 7) == 0) features.push_back(&nameless);
    features.push_back(nullptr);

    static const double kRates[] = {44100.0,
                                    48000.0,
                                    96000.0,
                                    192000.0,
                                    8000.0,
                                    1.0,
                                    0.0,
                                    -48000.0,
                                    1e9,
                                    std::numeric_limits<double>::quiet_NaN(),
                                    std::numeric_limits<double>::infinity()};
    const double rate =
        in.ConsumeBool() ? in.PickValueInArray(kRates) : in.ConsumeFloatingPoint<double>();
    LV2_Handle h =
        d->instantiate(d, rate, "/nonexistent/Tavrellion.lv2/",
                       in.ConsumeIntegralInRange(0, 15) == 0 ? nullptr : features.data());
    if (h == nullptr) return;
    const uint32_t frameLimit =
        maxBlock > 0 ? std::min<uint32_t>(kMaxFrames, static_cast<uint32_t>(maxBlock)) : kMaxFrames;

    Ports ports;
    const auto connect = [&](uint32_t port, void* data) {
        d->connect_port(h, port, data);
        if (port < kPortCount) ports.connected[port] = data;
    };
    bool active = false;
    while (in.remaining_bytes() > 0) {
        switch (in.ConsumeIntegralInRange(0, 7)) {
            case 0: {  // ports in any order, some never
                const uint32_t port = in.ConsumeBool()
                                          ? in.ConsumeIntegralInRange<uint32_t>(0, kPortCount - 1)
                                          : in.ConsumeIntegral<uint32_t>();
                connect(port, ports.BufferFor(port, in));
                break;
            }
            case 1:
                for (uint32_t p = 0; p < kPortCount; ++p) connect(p, ports.BufferFor(p, in));
                break;
            case 2:
                ports.controls[in.ConsumeIntegralInRange<uint32_t>(0, kPortCount - 1)] =
                    ControlValue(in);
                break;
            case 3:
                if (in.ConsumeBool()) {
                    d->activate(h);
                    active = true;
                } else {
                    d->deactivate(h);
                    active = false;
                }
                break;
            case 7: {  // what hosts ask for, and anything else
                static const char* const kExtensions[] = {
                    "http://lv2plug.in/ns/ext/state#interface",
                    "http://lv2plug.in/ns/ext/options#interface",
                    "http://lv2plug.in/ns/ext/worker#interface", ""};
                const std::string uri = in.ConsumeBool() ? in.PickValueInArray(kExtensions)
                                                         : in.ConsumeRandomLengthString(64);
                extensionSink = d->extension_data(uri.c_str());
                break;
            }
            case 4:
                WriteSequence(ports.atoms, in, map, frameLimit);
                break;
            default: {
                const uint32_t frames = in.ConsumeIntegralInRange<uint32_t>(0, frameLimit);
                for (uint32_t c = 0; c < 2; ++c) {
                    for (uint32_t i = 0; i < frames; ++i)
                        ports.audio[c][i] =
                            static_cast<float>(in.ConsumeIntegralInRange(-1000, 1000) / 1000.0);
                }
                ports.controls[tav::lv2::kPortLatency] = -1.0f;
                d->run(h, frames);
                // Inputs are always finite, so every audio buffer must stay so.
                for (const auto& a : ports.audio) {
                    for (uint32_t i = 0; i < frames; ++i)
                        FUZZ_CHECK(std::isfinite(a[i]), "a finite input gave a non-finite output");
                }
                if (ports.connected[tav::lv2::kPortLatency] ==
                    &ports.controls[tav::lv2::kPortLatency])
                    FUZZ_CHECK(ports.controls[tav::lv2::kPortLatency] == 0.0f,
                               "latency reported as not 0");
                break;
            }
        }
    }
    if (active && in.ConsumeBool()) d->deactivate(h);
    d->cleanup(h);
}

}  // namespace
}  // namespace tav::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const LV2_Descriptor* d = lv2_descriptor(in.ConsumeIntegralInRange<uint32_t>(0, 2));
    if (d == nullptr) return 0;
    FUZZ_CHECK(std::strcmp(d->URI, tav::lv2::kPluginUri) == 0,
               "lv2_descriptor(0) is another plug-in");
    tav::fuzz::Instance(d, in);
    return 0;
}
