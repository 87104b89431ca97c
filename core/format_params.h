// What the plug-in formats with a bypass switch (VST 3, CLAP) show of the
// parameters beyond the effect's own: the switch's texts and the defaults.
#pragma once

#include "core/effect_core.h"

namespace tav {

inline constexpr const char* kBypassTexts[2] = {"Off", "On"};

// "Off", "On" or a number (0.5 and over is on); false for anything else.
bool ParseBypassText(const char* typed, bool& on);

// A parameter's plain default: its value in the first program, where the
// parameters stand when the effect is made.
double DefaultPlainValue(const IEffectCore& core, int index);

}  // namespace tav
