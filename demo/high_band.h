// Clicks as the band above a cutoff shows them. A sustained chord has its own
// band above 8 kHz near -88 dBFS; a click rises far above that.
#pragma once

#include <cstdint>
#include <vector>

#include "host/audio_buffer.h"

namespace tav {

// Each channel's content above cutoff Hz: an 8th-order Butterworth high-pass
// (four biquads from the bilinear transform, -48 dB an octave) run forward over
// the whole channel from rest.
std::vector<std::vector<double>> HighBand(const AudioBuffer& audio, double cutoff);

// The largest channel's peak and RMS (linear) of the band over frames [from, to).
double BandPeak(const std::vector<std::vector<double>>& band, std::int64_t from, std::int64_t to);
double BandRms(const std::vector<std::vector<double>>& band, std::int64_t from, std::int64_t to);

}  // namespace tav
