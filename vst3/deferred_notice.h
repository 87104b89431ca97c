// Tells the host about changed values after its own call has returned.
//
// A host may hold a lock while it calls into the controller (Ardour does while
// it selects a program) and take the same lock in its restartComponent handler:
// a notice sent from inside that call would wait for ever. Notices are
// collected here and sent from a thread of their own, started on first use.
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

    // Adds flags to the next notice; returns at once.
    void Post(int flags);
    // Waits until every posted notice has been sent.
    void Flush();
    // Sends nothing more; waits for a notice being sent to finish.
    void Stop();

  private:
    void Run();

    std::function<void(int flags)> deliver_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::thread thread_;
    int pending_ = 0;
    bool sending_ = false;
    bool stopping_ = false;
};

}  // namespace tav::vst3
