// tavhost --stress: while Render runs, a second thread does what a DAW's main thread
// does meanwhile, again and again until the render ends: the state saved and loaded
// back, programs chosen, and (given a display and an editor) the editor opened,
// scaled to 200 % and back, and closed.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "tools/plugin_instance.h"

namespace tav {

struct StressCounts {
    int rounds = 0;
    int stateReloads = 0;
    int programChanges = 0;
    int editorCycles = 0;
    std::string editorSkipped;  // why the editor took no part, if it did not
    std::string failure;        // the first step the plug-in refused
};

class StressThread {
  public:
    // Starts at once; the plug-in's audio should be started already.
    explicit StressThread(PluginInstance& plugin);
    ~StressThread();
    StressThread(const StressThread&) = delete;
    StressThread& operator=(const StressThread&) = delete;

    // Blocks until one whole round has run, so that every step has met the audio.
    void AwaitRound();
    // Ends the current round and the thread.
    StressCounts Stop();

  private:
    void Run();
    bool Stopping();

    PluginInstance& plugin_;
    std::mutex mutex_;
    std::condition_variable roundDone_;
    bool stop_ = false;
    StressCounts counts_;
    std::thread thread_;
};

}  // namespace tav
