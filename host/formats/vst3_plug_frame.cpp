#include "host/formats/vst3_plug_frame.h"

#include <algorithm>
#include <thread>

namespace tav::vst3host {

tresult RunLoop::registerEventHandler(IEventHandler* handler, int fd) {
    if (handler == nullptr || fd < 0) return kInvalidArgument;
    handlers_.push_back({handler, fd});
    return kResultOk;
}

tresult RunLoop::unregisterEventHandler(IEventHandler* handler) {
    const auto before = handlers_.size();
    std::erase_if(handlers_, [&](const Handler& h) { return h.handler == handler; });
    return handlers_.size() != before ? kResultOk : kResultFalse;
}

tresult RunLoop::registerTimer(ITimerHandler* handler, uint64 milliseconds) {
    if (handler == nullptr || milliseconds == 0) return kInvalidArgument;
    const auto period = std::chrono::milliseconds(milliseconds);
    timers_.push_back({handler, period, Clock::now() + period});
    return kResultOk;
}

tresult RunLoop::unregisterTimer(ITimerHandler* handler) {
    const auto before = timers_.size();
    std::erase_if(timers_, [&](const Timer& t) { return t.handler == handler; });
    return timers_.size() != before ? kResultOk : kResultFalse;
}

void RunLoop::Pump(int waitMs) {
    // Handlers may unregister themselves while they run: work on copies. The
    // descriptors are not polled: a handler that finds nothing to read returns at
    // once (the X11 editor asks XPending), and our window loop pumps often anyway.
    const std::vector<Handler> handlers = handlers_;
    for (const Handler& h : handlers) h.handler->onFDIsSet(h.fd);
    const std::vector<Timer> timers = timers_;
    for (const Timer& t : timers) {
        if (t.due > Clock::now()) continue;
        for (Timer& live : timers_) {
            if (live.handler == t.handler) live.due = Clock::now() + live.period;
        }
        t.handler->onTimer();
    }
    if (waitMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
}

tresult PlugFrame::queryInterface(const TUID iid, void** obj) {
    if (obj != nullptr && runLoop_ != nullptr && iid != nullptr && IRunLoop::iid.Matches(iid)) {
        *obj = static_cast<IRunLoop*>(runLoop_);
        return kResultOk;
    }
    return HostObject<IPlugFrame>::queryInterface(iid, obj);
}

tresult PlugFrame::resizeView(IPlugView* view, ViewRect* newSize) {
    if (view == nullptr || newSize == nullptr) return kInvalidArgument;
    ++resizeRequests_;
    if (resize_ && !resize_(newSize->right - newSize->left, newSize->bottom - newSize->top))
        return kResultFalse;
    return view->onSize(newSize);
}

}  // namespace tav::vst3host
