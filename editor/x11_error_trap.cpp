#include "editor/x11_error_trap.h"

#include <mutex>
#include <vector>

namespace tav {
namespace {

struct TrapEntry {
    Display* display;
    int errors;
};

std::mutex trapMutex;
std::vector<TrapEntry> trapEntries;
XErrorHandler previousHandler = nullptr;
bool installed = false;

int HandleError(Display* display, XErrorEvent* event) {
    XErrorHandler chained = nullptr;
    {
        std::lock_guard<std::mutex> guard(trapMutex);
        for (TrapEntry& entry : trapEntries) {
            if (entry.display == display) {
                ++entry.errors;
                return 0;
            }
        }
        chained = previousHandler;
    }
    return chained != nullptr ? chained(display, event) : 0;
}

// The module may be unloaded while Xlib lives on in the host: take the handler out
// again so that Xlib never calls into unmapped code.
struct UnloadGuard {
    ~UnloadGuard() {
        std::lock_guard<std::mutex> guard(trapMutex);
        if (!installed) return;
        XErrorHandler current = XSetErrorHandler(previousHandler);
        if (current != HandleError) XSetErrorHandler(current);  // someone replaced ours
        installed = false;
    }
} unloadGuard;

}  // namespace

void X11ErrorTrap::Register(Display* display) {
    std::lock_guard<std::mutex> guard(trapMutex);
    trapEntries.push_back({display, 0});
    // Installed once and left in place: a host that installs its own handler later
    // replaces ours, and restoring an older one could undo the host's.
    if (!installed) {
        previousHandler = XSetErrorHandler(HandleError);
        installed = true;
    }
}

void X11ErrorTrap::Unregister(Display* display) {
    std::lock_guard<std::mutex> guard(trapMutex);
    for (size_t i = 0; i < trapEntries.size(); ++i) {
        if (trapEntries[i].display == display) {
            trapEntries.erase(trapEntries.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
    }
}

int X11ErrorTrap::TakeErrors(Display* display) {
    XSync(display, False);
    std::lock_guard<std::mutex> guard(trapMutex);
    for (TrapEntry& entry : trapEntries) {
        if (entry.display == display) {
            const int errors = entry.errors;
            entry.errors = 0;
            return errors;
        }
    }
    return 0;
}

}  // namespace tav
