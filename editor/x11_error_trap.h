#pragma once

#include <X11/Xlib.h>

namespace tav {

// Xlib reports protocol errors through one process-wide handler whose default ends
// the process. The editor's own display connections register here: their errors
// (a parent window the host already destroyed, a shared-memory segment a remote
// server cannot attach) are counted instead; errors on the host's connections go
// to whatever handler was installed before ours.
class X11ErrorTrap {
  public:
    static void Register(Display* display);
    static void Unregister(Display* display);
    // Errors seen on display since the last call; syncs first so that none is pending.
    static int TakeErrors(Display* display);
};

}  // namespace tav
