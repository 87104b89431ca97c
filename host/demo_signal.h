// Built-in test signals, so the host can run without an input file. Every sample
// comes from integer and plain floating-point arithmetic only (no library
// transcendental functions), so both builds produce bit-identical audio.
#pragma once

#include <string>
#include <vector>

#include "host/audio_buffer.h"

namespace tav {

// "demo-loop": 8 s stereo, 120 bpm, four bars of a chord pad (Am F C G) with bass,
//              kick, snare and hi-hats.
// "impulse":   1 s stereo, a single full-scale sample at the start.
// "sine":      2 s stereo, 440 Hz at half scale.
// "noise":     2 s stereo, white noise at a quarter of full scale.
// "silence":   1 s stereo of zeros.
bool GenerateSignal(const std::string& name, double sampleRate, AudioBuffer* out);
std::vector<std::string> SignalNames();

}  // namespace tav
