// What the plug-in formats with a bypass switch (VST 3, CLAP) show of the
// parameters beyond the effect's own: the switch's texts and the defaults.
#pragma once

#include "core/effect_core.h"

namespace tav {

inline constexpr const char* kBypassTexts[2] = {"Off", "On"};

// "Off", "On" or a number (0.5 and over is on); false for anything else.
bool ParseBypassText(const char* typed, bool& on);

// What text typed in a VST 3 or CLAP host gives an effect parameter: one of its
// value texts, or a finite number (units may follow) clamped into the range; false
// for anything else. VST 2 keeps PluginParam::ParseText, which reads no number as 0.
bool ParseTypedPlain(const PluginParam& param, const char* typed, double& plain);

// A parameter's plain default: its value in the first program, where the
// parameters stand when the effect is made.
double DefaultPlainValue(const IEffectCore& core, int index);

}  // namespace tav
