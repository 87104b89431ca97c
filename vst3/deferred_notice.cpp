#include "vst3/deferred_notice.h"

namespace tav::vst3 {

void DeferredNotice::Start() {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = false;
    OpenChannel();
}

void DeferredNotice::Post(int flags) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_ || flags == 0) return;
    const bool first = pending_ == 0;
    pending_ |= flags;
    if (!Signal(first)) WakeThread();
}

void DeferredNotice::LendUiLoop(bool lent) {
    std::lock_guard<std::mutex> lock(mutex_);
    uiLoopLent_ = lent;
    // Taken back with a notice still waiting: the thread sends it.
    if (!lent && !stopping_ && pending_ != 0) WakeThread();
}

void DeferredNotice::SendPending() {
    std::unique_lock<std::mutex> lock(mutex_);
    // One notice at a time: what the thread has not sent yet waits for the next call.
    if (stopping_ || pending_ == 0 || sending_) return;
    SendLocked(lock);
}

void DeferredNotice::Stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        pending_ = 0;
        uiLoopLent_ = false;
        CloseChannel();
    }
    wake_.notify_all();
    if (!thread_.joinable()) return;
    if (thread_.get_id() == std::this_thread::get_id()) {
        thread_.detach();  // stopped from inside a notice: it returns by itself
    } else {
        thread_.join();
    }
}

void DeferredNotice::SendLocked(std::unique_lock<std::mutex>& lock) {
    const int flags = pending_;
    pending_ = 0;
    sending_ = true;
    lock.unlock();
    deliver_(flags);
    lock.lock();
    sending_ = false;
    wake_.notify_all();
}

void DeferredNotice::WakeThread() {
    if (!thread_.joinable()) {
        try {
            thread_ = std::thread([this] { Run(); });
        } catch (...) {
            pending_ = 0;  // no thread to send it: the host reads values on its own
            return;
        }
    }
    wake_.notify_all();
}

void DeferredNotice::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock,
                   [this] { return stopping_ || (pending_ != 0 && !uiLoopLent_ && !sending_); });
        if (stopping_) return;
        SendLocked(lock);
    }
}

}  // namespace tav::vst3
