// Tells the host about changed values after its own call has returned, on the
// host's user-interface thread where one can be reached.
//
// A host may hold a lock while it calls into the controller (Ardour does while
// it selects a program) and take the same lock in its restartComponent handler:
// a notice sent from inside that call would wait for ever. Notices are
// collected here and sent later.
// Which path: Windows hosts: a message window of the thread that made the
// controller; Linux hosts with a view open: their IRunLoop (Ardour, Bitwig,
// Reaper lend one); a Linux host with no view open: no UI-thread context is
// reachable, so a notice thread of our own, started on first use.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace tav::vst3 {

class DeferredNotice {
  public:
    explicit DeferredNotice(std::function<void(int flags)> deliver)
        : deliver_(std::move(deliver)) {}
    ~DeferredNotice() { Stop(); }
    DeferredNotice(const DeferredNotice&) = delete;
    DeferredNotice& operator=(const DeferredNotice&) = delete;

    // Takes the calling thread as the host's UI thread (the controller's
    // initialize) and takes notices from now on.
    void Start();
    // Adds flags to the next notice; returns at once.
    void Post(int flags);
    // The host's UI loop is lent (Linux, while a view is open) or taken back:
    // while it is, notices wait for SendPending from it.
    void LendUiLoop(bool lent);
    // Sends what is pending; on the host's UI thread.
    void SendPending();
    // Sends nothing more; waits for a notice being sent to finish.
    void Stop();

  private:
    // Platform parts (deferred_notice_<platform>.cpp): the UI thread's channel,
    // opened by Start and closed by Stop; Signal (under the lock, with flags
    // pending) is false when the notice thread must send them.
    void OpenChannel();
    void CloseChannel();
    bool Signal(bool first);

    void SendLocked(std::unique_lock<std::mutex>& lock);
    void WakeThread();
    void Run();

    std::function<void(int flags)> deliver_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::thread thread_;
    void* channel_ = nullptr;  // Windows: the message window
    int pending_ = 0;
    bool sending_ = false;
    bool stopping_ = false;
    bool uiLoopLent_ = false;
};

}  // namespace tav::vst3
