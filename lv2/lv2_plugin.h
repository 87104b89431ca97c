// One LV2 instance of the phaser: the ports the host connected, the values last
// applied from them, and the translation of each run into the block seam.
#pragma once

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <memory>

#include "core/block_plugin.h"
#include "core/thread_roles.h"
#include "effect/phaser_effect.h"
#include "lv2/lv2_core.h"
#include "lv2/lv2_ports.h"

namespace tav::lv2 {

using Lv2Phaser = PhaserEffect<Lv2Core>;

const LV2_Descriptor* PluginDescriptor();

class Lv2Plugin {
  public:
    // Above this no audio interface runs; a host that says so is confused.
    static constexpr double kMaxSampleRate = 1.0e7;

    // None for a rate out of reason, no feature list, or no memory.
    static Lv2Plugin* Create(double sampleRate, const LV2_Feature* const* features);
    ~Lv2Plugin();
    Lv2Plugin(const Lv2Plugin&) = delete;
    Lv2Plugin& operator=(const Lv2Plugin&) = delete;

    void Connect(uint32_t port, void* data);
    void Activate();
    void Deactivate();
    void Run(uint32_t frames);

    Lv2Phaser& Effect() { return *effect_; }
    ThreadRoles& Roles() { return roles_; }

  private:
    struct Urids {
        LV2_URID sequence, beatTime, object, blank, resource, position;
        LV2_URID atomInt, atomLong, atomFloat, atomDouble;
        LV2_URID bpm, speed, bar, barBeat, beat, beatsPerBar, beatUnit, frame;
    };

    Lv2Plugin() = default;
    void ReadControls();
    // The control port's time:Position objects: the block's transport at its
    // start, and its tempo changes at their frames.
    void ReadPositions(int32_t frames);
    void ReadPosition(const LV2_Atom_Object_Body& object, uint32_t size, int32_t offset);
    bool Number(const LV2_Atom& value, double& out) const;
    void Silence(uint32_t frames);

    std::unique_ptr<Lv2Phaser> effect_;
    std::unique_ptr<BlockPlugin> plugin_;
    Urids urids_ = {};
    void* ports_[kPortCount] = {};
    float applied_[kPortCount] = {};  // each control port's value as last applied
    HostPosition position_;
    int32_t positionOffset_ = 0;  // where in the block the position was last moved to
    bool transportStarted_ = false;
    double sampleRate_ = 0.0;
    ThreadRoles roles_{"lv2", "instantiating thread"};
};

}  // namespace tav::lv2
