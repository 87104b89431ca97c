#include "host/audio_callback_mark.h"

// The checker is a preloaded ELF library: Windows builds have no marks to watch.
namespace tav {

void NoteCallbackTime(std::chrono::steady_clock::duration taken);

AudioCallbackMark::AudioCallbackMark() : start_(std::chrono::steady_clock::now()) {}
AudioCallbackMark::~AudioCallbackMark() {
    NoteCallbackTime(std::chrono::steady_clock::now() - start_);
}

}  // namespace tav
