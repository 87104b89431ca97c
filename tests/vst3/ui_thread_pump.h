// The test thread as a host's UI thread between its calls into the plug-in.
#pragma once

namespace tav::vst3test {

// Handles what the thread's queue holds for milliseconds (Windows: its
// messages, where the controller's notices arrive); elsewhere just waits.
void PumpUiThread(int milliseconds);

}  // namespace tav::vst3test
