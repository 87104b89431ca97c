#include "host/audio_buffer.h"
#include "host/float_wav.h"

namespace tav {

bool ReadAudioFile(const std::string& path, AudioBuffer* out, std::string* error) {
    return ReadFloatWav(path, out, error);
}

bool WriteAudioFile(const std::string& path, const AudioBuffer& audio, std::string* error) {
    return WriteFloatWav(path, audio, error);
}

}  // namespace tav
