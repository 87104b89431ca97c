// Pictures of how a phaser's response moves: per short analysis frame, the ratio
// of the processed spectrum to the dry one, on a logarithmic frequency axis.
// The notches show up as dark curves that sweep up and down with the tempo.
#pragma once

#include <string>

#include "tools/audio_buffer.h"

namespace tav {

// Writes a PNG with one band per channel (left on top), time running to the right,
// 40 Hz at the bottom of a band and 20 kHz at its top; colour is the gain in dB
// from -40 (black) to +12 (white). Where the dry signal is too quiet to measure,
// the pixel is dark grey.
bool WriteTransferSpectrogram(const AudioBuffer& dry, const AudioBuffer& wet,
                              const std::string& pngPath, std::string* error);

}  // namespace tav
