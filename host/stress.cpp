#include "host/stress.h"

#include <memory>

#include "host/editor_window.h"

namespace tav {

StressThread::StressThread(PluginInstance& plugin, int rounds) : plugin_(plugin), wanted_(rounds) {
    thread_ = std::thread([this] { Run(); });
}

StressThread::~StressThread() {
    Stop();
}

void StressThread::BlockRendered() {
    {
        std::lock_guard<std::mutex> hold(mutex_);
        ++blocks_;
    }
    changed_.notify_all();
}

bool StressThread::Done() {
    std::lock_guard<std::mutex> hold(mutex_);
    return counts_.idle || counts_.rounds >= wanted_;
}

StressCounts StressThread::Stop() {
    {
        std::lock_guard<std::mutex> hold(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
    return counts_;
}

bool StressThread::AwaitBlockAfter(std::int64_t seen) {
    std::unique_lock<std::mutex> hold(mutex_);
    changed_.wait(hold, [&] { return blocks_ > seen || stop_; });
    return !stop_;
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
    // Each editor step after the opening first waits for the editor's timer to
    // tick, so that it has painted at the scale before the next one.
    auto editorStep = [&](int step) {
        if (step == 0) {
            if (!window->OpenEditor(plugin_, &why)) refused("opening the editor: " + why);
            return;
        }
        if (!window->IsEditorOpen()) return;
        if (!window->WaitTicks(1)) refused("the editor's timer did not run");
        if (step < 3) {
            if (!plugin_.SetEditorScale(step == 1 ? 2.0 : 1.0, &why)) {
                refused("scaling the editor: " + why);
            }
        } else {
            window->CloseEditor();
            ++done.editorCycles;
        }
    };
    for (int round = 0;; ++round) {
        std::int64_t seen;
        {
            std::lock_guard<std::mutex> hold(mutex_);
            seen = blocks_;
        }
        if (plugin_.ReloadStateBesideAudio()) ++done.stateReloads;
        if (plugin_.NumPrograms() > 1 &&
            plugin_.ChooseProgramBesideAudio((round + 1) % plugin_.NumPrograms())) {
            ++done.programChanges;
        }
        if (window) editorStep(round % 4);
        ++done.rounds;
        // With nothing the format allows beside the audio, rounds would only spin.
        done.idle = done.stateReloads == 0 && done.programChanges == 0 && !window;
        {
            std::lock_guard<std::mutex> hold(mutex_);
            counts_ = done;
        }
        if (done.idle ? !AwaitBlockAfter(INT64_MAX) : !AwaitBlockAfter(seen)) break;
    }
    if (window && window->IsEditorOpen()) window->CloseEditor();
}

}  // namespace tav
