#pragma once

#include "effect/phaser_params.h"

namespace tav {

// Programs 0 to 6. Program 0 holds the parameter defaults. The named ones store
// 2 for "Filter Mirror" on purpose: loading bounds it to 1.
struct FactoryPreset {
    const char* name;
    int values[ParamCount];
};

inline constexpr int kFactoryPresetCount = 7;

inline constexpr FactoryPreset kFactoryPresets[kFactoryPresetCount] = {
    {"---- default ----", {2500, 60, 30, 12, 80, 2500, 60, 30, 12, 80, 2, 1, -60}},
    {"Psy Asymetric", {1000, 90, 50, 17, 80, 2000, 60, 100, 18, 80, 0, 2, -60}},
    {"Psy Symetric Balance", {4000, 60, 55, 18, 80, 4000, 60, 55, 18, 80, 0, 2, -60}},
    {"Pad Balance", {2500, 60, 30, 21, 80, 2500, 60, 30, 21, 80, 0, 2, -60}},
    {"Pad Long Balance", {3000, 60, 40, 24, 80, 3000, 60, 40, 24, 80, 0, 2, -60}},
    {"Soft Sweep", {2500, 60, 20, 15, 80, 2500, 60, 20, 15, 80, 0, 2, -60}},
    {"Fast Soft Sweep", {2500, 60, 20, 12, 80, 2500, 60, 20, 12, 80, 0, 2, -60}}};

}  // namespace tav
