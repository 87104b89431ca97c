#include "tools/audio_callback_mark.h"

// The checker is a preloaded ELF library: Windows builds have no marks to watch.
namespace tav {

AudioCallbackMark::AudioCallbackMark() = default;
AudioCallbackMark::~AudioCallbackMark() = default;

}  // namespace tav
