#include "tools/stress.h"

#include <memory>

#include "tools/editor_window.h"

namespace tav {

StressThread::StressThread(PluginInstance& plugin) : plugin_(plugin) {
    thread_ = std::thread([this] { Run(); });
}

StressThread::~StressThread() {
    Stop();
}

void StressThread::AwaitRound() {
    std::unique_lock<std::mutex> hold(mutex_);
    roundDone_.wait(hold, [this] { return counts_.rounds > 0 || stop_; });
}

StressCounts StressThread::Stop() {
    {
        std::lock_guard<std::mutex> hold(mutex_);
        stop_ = true;
    }
    roundDone_.notify_all();
    if (thread_.joinable()) thread_.join();
    return counts_;
}

bool StressThread::Stopping() {
    std::lock_guard<std::mutex> hold(mutex_);
    return stop_;
}

void StressThread::Run() {
    // This thread owns the editor's window and is the plug-in's main thread for
    // the editor's whole life, as the formats want.
    std::string why;
    std::unique_ptr<EditorHostWindow> window = EditorHostWindow::Create(&why);
    int width = 0, height = 0;
    if (window && !plugin_.EditorSize(&width, &height, &why)) window.reset();
    if (window && !(why = plugin_.EditorBesideAudioRefusal()).empty()) window.reset();
    StressCounts done;
    done.editorSkipped = window ? std::string() : why;
    auto refused = [&](const std::string& step) {
        if (done.failure.empty()) done.failure = step;
    };
    for (int program = 1;; ++program) {
        const StressCounts before = done;
        if (plugin_.ReloadStateBesideAudio()) ++done.stateReloads;
        if (plugin_.NumPrograms() > 1 &&
            plugin_.ChooseProgramBesideAudio(program % plugin_.NumPrograms())) {
            ++done.programChanges;
        }
        if (window) {
            // Each step waits for the editor's timer to tick, so it has painted at
            // the scale before the next one.
            if (!window->OpenEditor(plugin_, &why)) {
                refused("opening the editor: " + why);
            } else {
                for (double scale : {2.0, 1.0}) {
                    if (!window->WaitTicks(1)) refused("the editor's timer did not run");
                    if (!plugin_.SetEditorScale(scale, &why)) refused("scaling the editor: " + why);
                }
                window->WaitTicks(1);
                window->CloseEditor();
                ++done.editorCycles;
            }
        }
        ++done.rounds;
        {
            std::lock_guard<std::mutex> hold(mutex_);
            counts_ = done;
        }
        roundDone_.notify_all();
        // With nothing the format allows beside the audio, rounds would only spin.
        if (done.stateReloads == before.stateReloads &&
            done.programChanges == before.programChanges && !window) {
            std::unique_lock<std::mutex> hold(mutex_);
            roundDone_.wait(hold, [this] { return stop_; });
        }
        if (Stopping()) return;
    }
}

}  // namespace tav
