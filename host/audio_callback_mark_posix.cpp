#include <dlfcn.h>

#include "host/audio_callback_mark.h"

namespace tav {
namespace {

using Mark = void (*)();

struct Marks {
    Mark enter = nullptr, leave = nullptr;
};

Mark Find(const char* name) {
    return reinterpret_cast<Mark>(dlsym(RTLD_DEFAULT, name));
}

// Looked up once, before the first callback's mark opens: dlsym may allocate.
const Marks& Found() {
    static const Marks marks = [] {
        Marks found{Find("tav_rt_enter"), Find("tav_rt_leave")};
        return found.enter != nullptr && found.leave != nullptr ? found : Marks{};
    }();
    return marks;
}

}  // namespace

void NoteCallbackTime(std::chrono::steady_clock::duration taken);

AudioCallbackMark::AudioCallbackMark() {
    if (const Mark enter = Found().enter) enter();
    start_ = std::chrono::steady_clock::now();
}

AudioCallbackMark::~AudioCallbackMark() {
    NoteCallbackTime(std::chrono::steady_clock::now() - start_);
    if (const Mark leave = Found().leave) leave();
}

}  // namespace tav
