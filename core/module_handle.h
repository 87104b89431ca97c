// Module-wide state of the plug-in library, whatever format loaded it: its own
// handle and the lock around instance creation. One platform file implements each.
#pragma once

namespace tav {

// The library's own module: its HINSTANCE on Windows (resources, window class),
// its load address elsewhere.
void* ModuleHandle();

// Holds the module-wide entry lock, created on first use and deleted at unload.
class EntryLockGuard {
  public:
    EntryLockGuard();
    ~EntryLockGuard();
    EntryLockGuard(const EntryLockGuard&) = delete;
    EntryLockGuard& operator=(const EntryLockGuard&) = delete;
};

}  // namespace tav
