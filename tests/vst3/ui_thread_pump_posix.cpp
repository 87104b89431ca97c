#include <chrono>
#include <thread>

#include "tests/vst3/ui_thread_pump.h"

namespace tav::vst3test {

void PumpUiThread(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace tav::vst3test
