// The window a host gives the editor as its parent, for open/close cycles.
#pragma once

namespace tav {

class HostWindow {
  public:
    HostWindow();  // none where the platform offers no window yet
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    void* Handle() const { return handle_; }
    // Delivers what is waiting for the window thread (paint, timer, input).
    void Pump();

  private:
    void* handle_ = nullptr;
};

}  // namespace tav
