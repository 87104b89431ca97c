// tavhost --stress: while the audio renders, a second thread does what a DAW's main
// thread does meanwhile, round after round: in each round the state saved and loaded
// back and a program chosen, and (given a display and an editor) one step of the
// editor's cycle: opened, scaled to 200 %, back to 100 %, closed. One step a round,
// so that reloads and program changes also meet an open editor, and each round ends
// only once the audio has rendered another block, so that each round's changes
// meet blocks of their own.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "host/plugin_instance.h"

namespace tav {

struct StressCounts {
    int rounds = 0;
    int stateReloads = 0;
    int programChanges = 0;
    int editorCycles = 0;
    bool idle = false;          // the format allows nothing beside the audio, no editor
    std::string editorSkipped;  // why the editor took no part, if it did not
    std::string failure;        // the first step the plug-in refused
};

class StressThread {
  public:
    // Starts at once, to run at least `rounds` rounds; the plug-in's audio should be
    // started already.
    StressThread(PluginInstance& plugin, int rounds);
    ~StressThread();
    StressThread(const StressThread&) = delete;
    StressThread& operator=(const StressThread&) = delete;

    // The audio's thread tells of each block it rendered, outside the plug-in's call.
    void BlockRendered();
    // Whether the rounds asked for have run (at once where there is nothing to do).
    bool Done();
    // Ends the thread after the step at hand, closing the editor if it is open.
    StressCounts Stop();

  private:
    void Run();
    // Waits for the audio to render a block after `seen` blocks; false when stopping.
    bool AwaitBlockAfter(std::int64_t seen);

    PluginInstance& plugin_;
    const int wanted_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool stop_ = false;
    std::int64_t blocks_ = 0;
    StressCounts counts_;
    std::thread thread_;
};

}  // namespace tav
