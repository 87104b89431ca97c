// The effect's face embedded in a host's window, as the VST 3 and CLAP plug-ins
// show it: opened and closed with the effect told, driven on Linux by the host's
// loop when the host lends one (else by the window's own thread), and resized
// only with the host's consent. Each format translates its own calls into these.
#pragma once

#include <cstdint>
#include <functional>

namespace tav {

class IEditorLink;
class IEffectCore;

// A host's loop as a format lends it (Linux): a repeating timer and a watch on a
// descriptor, each ending in EmbeddedEditor::HostIdle on the host's UI thread.
class IHostLoop {
  public:
    virtual bool StartTimer(uint32_t milliseconds) = 0;
    virtual bool WatchDescriptor(int fd) = 0;
    // Gives back whatever the loop took.
    virtual void StopAll() = 0;

  protected:
    ~IHostLoop() = default;
};

class EmbeddedEditor {
  public:
    // How often the host's timer drives the window.
    static constexpr uint32_t kHostTimerMilliseconds = 20;

    // Asks the host to resize its window to width x height; whether it did.
    using AskHostToResize = std::function<bool(int width, int height)>;

    // Opens the effect's editor in parent, driven by loop when one is given and
    // it takes both the timer and the descriptor; the effect hears of it.
    // Whether the window is open.
    bool Open(IEffectCore& effect, void* parent, IHostLoop* loop);
    // Tells the effect, gives back the loop's and closes the window.
    void Close(IEffectCore& effect);
    bool IsOpen() const { return open_; }
    // Whether the host's loop drives the open window.
    bool HostDriven() const { return loop_ != nullptr; }
    // The host's timer or descriptor: the window's work of the moment.
    void HostIdle(IEffectCore& effect) const;
    // A host whose loop turns up once the face runs itself (an LV2 host calling
    // idle without offering it) drives it from then on: the window's own thread is
    // joined here, on the host's UI thread. Whether the loop drives the face now.
    bool TakeHostLoop(IEffectCore& effect, IHostLoop* loop);
    // Takes a scale in percent; an open face changes size only when the host
    // resizes its window for it. Whether the face has that scale now.
    bool ApplyScale(IEffectCore& effect, int percent, const AskHostToResize& askHost) const;

  private:
    // Platform part (embedded_editor_<platform>.cpp): opens the window in parent;
    // loop is cleared when the window runs itself after all.
    static bool OpenWindow(IEditorLink& editor, void* parent, IHostLoop*& loop);
    // Platform part: the open window's work goes over to loop, if it takes it.
    static bool HandOver(IEditorLink& editor, IHostLoop& loop);

    bool open_ = false;
    IHostLoop* loop_ = nullptr;
};

}  // namespace tav
