// The host's side of a VST 3 editor view: the frame the view may ask to resize,
// and on Linux the run loop it may drive its window from (timers and the X
// connection's descriptor), pumped by the host's own window loop.
#pragma once

#include <chrono>
#include <functional>
#include <utility>
#include <vector>

#include "host/formats/vst3_host_objects.h"

namespace tav::vst3host {

class RunLoop final : public HostObject<IRunLoop> {
  public:
    tresult registerEventHandler(IEventHandler* handler, int fd) override;
    tresult unregisterEventHandler(IEventHandler* handler) override;
    tresult registerTimer(ITimerHandler* handler, uint64 milliseconds) override;
    tresult unregisterTimer(ITimerHandler* handler) override;

    // Runs what is due: every descriptor's handler and the timers whose time has
    // come, then waits waitMs. On the host's window thread only.
    void Pump(int waitMs);
    size_t Registrations() const { return handlers_.size() + timers_.size(); }

  private:
    using Clock = std::chrono::steady_clock;
    struct Handler {
        IEventHandler* handler;
        int fd;
    };
    struct Timer {
        ITimerHandler* handler;
        Clock::duration period;
        Clock::time_point due;
    };
    std::vector<Handler> handlers_;
    std::vector<Timer> timers_;
};

// The frame a view is put in; it lends the run loop when it has one.
class PlugFrame final : public HostObject<IPlugFrame> {
  public:
    using ResizeAnswer = std::function<bool(int width, int height)>;
    explicit PlugFrame(RunLoop* runLoop = nullptr, ResizeAnswer resize = {})
        : runLoop_(runLoop), resize_(std::move(resize)) {}
    tresult queryInterface(const TUID iid, void** obj) override;
    tresult resizeView(IPlugView* view, ViewRect* newSize) override;
    int ResizeRequests() const { return resizeRequests_; }

  private:
    RunLoop* runLoop_;
    ResizeAnswer resize_;  // the host window's answer; none takes every size
    int resizeRequests_ = 0;
};

}  // namespace tav::vst3host
