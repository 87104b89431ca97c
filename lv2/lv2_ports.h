// The LV2 plug-in's ports by index, shared by the DSP binary, its UI and the
// Turtle that describes them, and which parameter of effect/host_params.h each
// is. Indices are part of every saved session: never renumber, only append.
#pragma once

#include <cstdint>

#include "effect/host_params.h"

namespace tav::lv2 {

inline constexpr const char* kPluginUri = "https://qorva.audio/plugins/tavrellion";
inline constexpr const char* kUiUri = "https://qorva.audio/plugins/tavrellion#ui";

enum Port : uint32_t {
    kPortInLeft = 0,
    kPortInRight = 1,
    kPortOutLeft = 2,
    kPortOutRight = 3,
    // The thirteen parameters in the effect's index order, as plain values.
    kPortFirstParam = 4,
    kPortEnabled = kPortFirstParam + 13,  // lv2:enabled: 1 processes, 0 bypasses (fading)
    kPortSweepSync = kPortEnabled + 1,    // 0 Free, 1 Song
    kPortControl = kPortSweepSync + 1,    // atom sequence in: time:Position
    kPortLatency = kPortControl + 1,      // control out: always 0, the effect adds none
    kPortGlide = kPortLatency + 1,        // 0 Off, 1 On
    kPortCount
};

// The parameter behind a control port, or -1.
constexpr int ParamOfPort(uint32_t port) {
    return port >= kPortFirstParam && port < kPortEnabled ? static_cast<int>(port - kPortFirstParam)
                                                          : -1;
}

// The effect setting behind a control port, or -1.
constexpr int SettingOfPort(uint32_t port) {
    return port == kPortSweepSync ? kSweepSyncSetting : (port == kPortGlide ? kGlideSetting : -1);
}
inline constexpr uint32_t kSettingPorts[kExtraSettingCount] = {kPortSweepSync, kPortGlide};

// The control port of a parameter hosts are told of: the effect's and the
// settings'; none (kPortCount) for bypass, which is lv2:enabled the other way
// round, and programs, which are presets.
constexpr uint32_t PortOf(HostParamTarget target) {
    if (target.role == HostParamRole::Effect)
        return kPortFirstParam + static_cast<uint32_t>(target.index);
    if (target.role == HostParamRole::Setting) return kSettingPorts[target.index];
    return kPortCount;
}

// Port symbols, in index order: what hosts and presets name the ports by.
inline constexpr const char* kPortSymbols[kPortCount] = {
    "in_left",    "in_right",  "out_left", "out_right",     "freq_left",   "fback_left",
    "left_depth", "left_rate", "wet_left", "freq_right",    "fback_right", "right_depth",
    "right_rate", "wet_right", "accent",   "filter_mirror", "bypass_ceil", "enabled",
    "sweep_sync", "control",   "latency",  "glide"};

}  // namespace tav::lv2
