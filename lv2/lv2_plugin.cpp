#include "lv2/lv2_plugin.h"

#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>
#include <lv2/time/time.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "core/denormal_guard.h"
#include "core/module_handle.h"
#include "effect/host_params.h"

namespace tav::lv2 {
namespace {

constexpr uint32_t Padded(uint32_t size) {
    return (size + 7u) & ~7u;
}

Lv2Plugin* Self(LV2_Handle handle) {
    return static_cast<Lv2Plugin*>(handle);
}

LV2_Handle InstantiateCall(const LV2_Descriptor*, double rate, const char*,
                           const LV2_Feature* const* features) {
    return Lv2Plugin::Create(rate, features);
}

// LV2 ties its calls to no thread, only to classes that never overlap: the audio
// class (connect_port, run) one call at a time, the instantiation class never
// beside it.
void ConnectPortCall(LV2_Handle handle, uint32_t port, void* data) {
    if (handle == nullptr) return;
    ThreadRoles::AudioScope audio(Self(handle)->Roles(), "connect_port");
    Self(handle)->Connect(port, data);
}

void ActivateCall(LV2_Handle handle) {
    if (handle == nullptr) return;
    ThreadRoles::ExclusiveScope exclusive(Self(handle)->Roles(), "activate");
    Self(handle)->Activate();
}

void RunCall(LV2_Handle handle, uint32_t frames) {
    if (handle == nullptr) return;
    ThreadRoles::AudioScope audio(Self(handle)->Roles(), "run");
    Self(handle)->Run(frames);
}

void DeactivateCall(LV2_Handle handle) {
    if (handle == nullptr) return;
    ThreadRoles::ExclusiveScope exclusive(Self(handle)->Roles(), "deactivate");
    Self(handle)->Deactivate();
}

void CleanupCall(LV2_Handle handle) {
    if (handle == nullptr) return;
    { ThreadRoles::ExclusiveScope exclusive(Self(handle)->Roles(), "cleanup"); }
    delete Self(handle);
}

// Control ports save the settings: no state interface, nor anything else.
const void* ExtensionDataCall(const char*) {
    return nullptr;
}

const LV2_Feature* Feature(const LV2_Feature* const* features, const char* uri) {
    for (const LV2_Feature* const* f = features; *f != nullptr; ++f) {
        if ((*f)->URI != nullptr && std::strcmp((*f)->URI, uri) == 0) return *f;
    }
    return nullptr;
}

// The host's largest block when it says; the scratch's cap otherwise (longer
// blocks run in slices all the same).
int64_t MaxBlock(const LV2_Feature* const* features, const LV2_URID_Map* map) {
    const LV2_Feature* options = Feature(features, LV2_OPTIONS__options);
    if (map == nullptr || options == nullptr || options->data == nullptr)
        return BlockPlugin::kMaxScratchFrames;
    const LV2_URID maxKey = map->map(map->handle, LV2_BUF_SIZE__maxBlockLength);
    const LV2_URID intType = map->map(map->handle, LV2_ATOM__Int);
    for (const auto* o = static_cast<const LV2_Options_Option*>(options->data); o->key != 0; ++o) {
        if (o->key == maxKey && o->type == intType && o->size == sizeof(int32_t) &&
            o->value != nullptr) {
            int32_t frames = 0;
            std::memcpy(&frames, o->value, sizeof frames);
            if (frames > 0) return frames;
        }
    }
    return BlockPlugin::kMaxScratchFrames;
}

}  // namespace

const LV2_Descriptor* PluginDescriptor() {
    static const LV2_Descriptor descriptor = {kPluginUri,   InstantiateCall,  ConnectPortCall,
                                              ActivateCall, RunCall,          DeactivateCall,
                                              CleanupCall,  ExtensionDataCall};
    return &descriptor;
}

Lv2Plugin* Lv2Plugin::Create(double sampleRate, const LV2_Feature* const* features) {
    if (!(sampleRate > 0.0) || !(sampleRate <= kMaxSampleRate) || features == nullptr)
        return nullptr;
    // Without urid:map (lilv's lv2apply offers none) the control port cannot be
    // read: the sweep runs at the tempo of a host that gives none.
    const LV2_Feature* mapFeature = Feature(features, LV2_URID__map);
    const auto* map =
        mapFeature != nullptr ? static_cast<const LV2_URID_Map*>(mapFeature->data) : nullptr;
    if (map != nullptr && map->map == nullptr) map = nullptr;

    EntryLockGuard entry;
    std::unique_ptr<Lv2Plugin> self;
    try {
        self.reset(new Lv2Plugin());
        self->effect_ = std::make_unique<Lv2Phaser>();
        self->plugin_ = std::make_unique<BlockPlugin>(*self->effect_);
    } catch (...) {
        return nullptr;  // no C++ exception may reach the host
    }
    Lv2Phaser& effect = *self->effect_;
    effect.EnsureDefaultPreset();
    // As a VST 2 host's effOpen: every parameter reaches the engine once.
    effect.HostQuirksInit();
    effect.NotifyAllParamsChanged();
    if (!self->plugin_->SetUp(sampleRate, MaxBlock(features, map))) return nullptr;
    self->sampleRate_ = sampleRate;

    const auto urid = [map](const char* uri) {
        return map != nullptr ? map->map(map->handle, uri) : LV2_URID{0};
    };
    self->urids_ =
        Urids{urid(LV2_ATOM__Sequence),    urid(LV2_ATOM__beatTime),       urid(LV2_ATOM__Object),
              urid(LV2_ATOM__Blank),       urid(LV2_ATOM__Resource),       urid(LV2_TIME__Position),
              urid(LV2_ATOM__Int),         urid(LV2_ATOM__Long),           urid(LV2_ATOM__Float),
              urid(LV2_ATOM__Double),      urid(LV2_TIME__beatsPerMinute), urid(LV2_TIME__speed),
              urid(LV2_TIME__bar),         urid(LV2_TIME__barBeat),        urid(LV2_TIME__beat),
              urid(LV2_TIME__beatsPerBar), urid(LV2_TIME__beatUnit),       urid(LV2_TIME__frame)};
    // What the effect starts with counts as applied: ports the host sets to
    // the same values change nothing.
    for (uint32_t port = 0; port < kPortCount; ++port) {
        const int index = ParamOfPort(port);
        if (index >= 0) self->applied_[port] = static_cast<float>(effect.Param(index)->value);
    }
    self->applied_[kPortEnabled] = 1.0f;
    for (int setting = 0; setting < kExtraSettingCount; ++setting)
        self->applied_[kSettingPorts[setting]] =
            static_cast<float>(kExtraSettings[setting].defaultStep);
    return self.release();
}

Lv2Plugin::~Lv2Plugin() = default;

void Lv2Plugin::Connect(uint32_t port, void* data) {
    if (port < kPortCount) ports_[port] = data;
}

void Lv2Plugin::Activate() {
    if (!plugin_->Active()) plugin_->SetActive(true);
}

void Lv2Plugin::Deactivate() {
    if (plugin_->Active()) plugin_->SetActive(false);
}

void Lv2Plugin::ReadControls() {
    for (uint32_t port = kPortFirstParam; port < kPortCount; ++port) {
        if (port > kPortSweepSync && port != kPortGlide) continue;
        const auto* value = static_cast<const float*>(ports_[port]);
        if (value == nullptr || std::isnan(*value) || *value == applied_[port]) continue;
        const float plain = *value;
        const int index = ParamOfPort(port);
        if (index >= 0) {
            plugin_->AddParam(0, index, effect_->Param(index)->UnitOf(plain));
        } else if (port == kPortEnabled) {
            plugin_->AddBypass(0, plain < 0.5f);
        } else {
            plugin_->AddSetting(0, SettingOfPort(port), std::clamp(plain, 0.0f, 1.0f));
        }
        applied_[port] = plain;
    }
}

bool Lv2Plugin::Number(const LV2_Atom& value, double& out) const {
    const auto* body = reinterpret_cast<const uint8_t*>(&value + 1);
    if (value.type == urids_.atomFloat && value.size >= sizeof(float)) {
        float v;
        std::memcpy(&v, body, sizeof v);
        out = v;
    } else if (value.type == urids_.atomDouble && value.size >= sizeof(double)) {
        std::memcpy(&out, body, sizeof out);
    } else if (value.type == urids_.atomInt && value.size >= sizeof(int32_t)) {
        int32_t v;
        std::memcpy(&v, body, sizeof v);
        out = v;
    } else if (value.type == urids_.atomLong && value.size >= sizeof(int64_t)) {
        int64_t v;
        std::memcpy(&v, body, sizeof v);
        out = static_cast<double>(v);
    } else {
        return false;
    }
    return std::isfinite(out);
}

void Lv2Plugin::ReadPosition(const LV2_Atom_Object_Body& object, uint32_t size, int32_t offset) {
    position_.Advance(offset - positionOffset_);
    positionOffset_ = offset;
    position_.Rebase(sampleRate_);

    bool hasBar = false, hasBarBeat = false, hasBeat = false, hasBpm = false;
    double bar = 0.0, barBeat = 0.0, beat = 0.0;
    const auto* bytes = reinterpret_cast<const uint8_t*>(&object);
    for (uint32_t pos = sizeof(LV2_Atom_Object_Body);
         pos <= size && size - pos >= sizeof(LV2_Atom_Property_Body);) {
        const auto* property = reinterpret_cast<const LV2_Atom_Property_Body*>(bytes + pos);
        if (property->value.size > size - pos - sizeof(LV2_Atom_Property_Body)) break;
        pos += Padded(static_cast<uint32_t>(sizeof(LV2_Atom_Property_Body)) + property->value.size);
        double v = 0.0;
        if (!Number(property->value, v)) continue;
        const LV2_URID key = property->key;
        if (key == urids_.bpm && v > 0.0) {
            position_.bpm = v;
            hasBpm = true;
        } else if (key == urids_.speed) {
            position_.speed = v;
        } else if (key == urids_.bar) {
            hasBar = true;
            bar = v;
        } else if (key == urids_.barBeat) {
            hasBarBeat = true;
            barBeat = v;
        } else if (key == urids_.beat) {
            hasBeat = true;
            beat = v;
        } else if (key == urids_.beatsPerBar && v > 0.0) {
            position_.beatsPerBar = v;
        } else if (key == urids_.beatUnit && v >= 1.0 && v <= 256.0) {
            position_.beatUnit = static_cast<int>(v);
        } else if (key == urids_.frame) {
            position_.hasFrame = true;
            position_.frame = v;
        }
    }
    if (hasBeat) {
        position_.hasBeats = true;
        position_.beats = beat;
    } else if (hasBar && position_.beatsPerBar > 0.0) {
        position_.hasBeats = true;
        position_.beats = bar * position_.beatsPerBar + (hasBarBeat ? barBeat : 0.0);
    }
    // At the block's start the transport carries it; later, a change at its frame.
    if (hasBpm && offset > 0) plugin_->AddTempo(offset, position_.QuarterTempo());
}

void Lv2Plugin::ReadPositions(int32_t frames) {
    positionOffset_ = 0;
    transportStarted_ = false;
    const auto startTransport = [this] {
        if (transportStarted_) return;
        effect_->SetTransport(position_.Transport(sampleRate_));
        transportStarted_ = true;
    };
    const auto* sequence = static_cast<const LV2_Atom_Sequence*>(ports_[kPortControl]);
    if (sequence != nullptr && urids_.sequence != 0 && sequence->atom.type == urids_.sequence &&
        sequence->atom.size >= sizeof(LV2_Atom_Sequence_Body) &&
        sequence->body.unit != urids_.beatTime) {
        // Any unit but beats counts as frames: Ardour 7 leaves the unit uninitialised;
        // offsets past the block are bounded to it all the same.
        const auto* bytes = reinterpret_cast<const uint8_t*>(&sequence->body);
        const uint32_t size = sequence->atom.size;
        for (uint32_t pos = sizeof(LV2_Atom_Sequence_Body);
             pos <= size && size - pos >= sizeof(LV2_Atom_Event);) {
            const auto* event = reinterpret_cast<const LV2_Atom_Event*>(bytes + pos);
            const uint32_t room = size - pos - static_cast<uint32_t>(sizeof(LV2_Atom_Event));
            if (event->body.size > room) break;  // cut short: nothing more to trust
            pos += Padded(static_cast<uint32_t>(sizeof(LV2_Atom_Event)) + event->body.size);
            const LV2_Atom& atom = event->body;
            const bool isObject = atom.type == urids_.object || atom.type == urids_.blank ||
                                  atom.type == urids_.resource;
            if (!isObject || atom.size < sizeof(LV2_Atom_Object_Body)) continue;
            const auto* object = reinterpret_cast<const LV2_Atom_Object_Body*>(&atom + 1);
            if (object->otype != urids_.position) continue;
            // Out of order or outside the block: at the nearest frame that is neither.
            const int64_t at = std::clamp<int64_t>(event->time.frames, positionOffset_, frames);
            const auto offset = static_cast<int32_t>(at);
            if (offset > 0) startTransport();
            ReadPosition(*object, atom.size, offset);
        }
    }
    startTransport();
}

void Lv2Plugin::Silence(uint32_t frames) {
    for (uint32_t port : {kPortOutLeft, kPortOutRight}) {
        if (ports_[port] != nullptr)
            std::memset(ports_[port], 0, static_cast<size_t>(frames) * sizeof(float));
    }
}

void Lv2Plugin::Run(uint32_t sampleCount) {
    if (ports_[kPortLatency] != nullptr) *static_cast<float*>(ports_[kPortLatency]) = 0.0f;
    if (!plugin_->Active()) {
        Silence(sampleCount);
        return;
    }
    DenormalGuard denormals;
    const auto frames = static_cast<int32_t>(std::min<uint32_t>(sampleCount, 0x7FFFFFFFu));
    plugin_->BeginChanges(frames);
    ReadControls();
    ReadPositions(frames);
    if (frames == 0) {
        plugin_->ApplyChanges();
        return;
    }
    float* const in[2] = {static_cast<float*>(ports_[kPortInLeft]),
                          static_cast<float*>(ports_[kPortInRight])};
    float* const out[2] = {static_cast<float*>(ports_[kPortOutLeft]),
                           static_cast<float*>(ports_[kPortOutRight])};
    plugin_->Render<float>(in, out, frames);
    position_.Advance(frames - positionOffset_);
}

}  // namespace tav::lv2
