#include "vst3/deferred_notice.h"

namespace tav::vst3 {

void DeferredNotice::Post(int flags) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_ || flags == 0) return;
    pending_ |= flags;
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

void DeferredNotice::Flush() {
    std::unique_lock<std::mutex> lock(mutex_);
    wake_.wait(lock, [this] { return stopping_ || (pending_ == 0 && !sending_); });
}

void DeferredNotice::Stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        pending_ = 0;
    }
    wake_.notify_all();
    if (!thread_.joinable()) return;
    if (thread_.get_id() == std::this_thread::get_id()) {
        thread_.detach();  // stopped from inside a notice: it returns by itself
    } else {
        thread_.join();
    }
}

void DeferredNotice::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || pending_ != 0; });
        if (stopping_) return;
        const int flags = pending_;
        pending_ = 0;
        sending_ = true;
        lock.unlock();
        deliver_(flags);
        lock.lock();
        sending_ = false;
        wake_.notify_all();
    }
}

}  // namespace tav::vst3
