// A small WAV reader and writer of our own: reads 16/24/32-bit PCM and 32-bit float
// RIFF WAVE files, writes 32-bit float. Used where libsndfile is not available.
#pragma once

#include <string>

#include "host/audio_buffer.h"

namespace tav {

bool ReadFloatWav(const std::string& path, AudioBuffer* out, std::string* error);
bool WriteFloatWav(const std::string& path, const AudioBuffer& audio, std::string* error);

}  // namespace tav
