#include <windows.h>

#include <cstdlib>

#include "core/module_handle.h"

namespace {

HINSTANCE moduleInstance = nullptr;
INIT_ONCE entryLockOnce = INIT_ONCE_STATIC_INIT;
CRITICAL_SECTION entryLock;

void DeleteEntryLock() {
    DeleteCriticalSection(&entryLock);
}

BOOL CALLBACK CreateEntryLock(PINIT_ONCE, PVOID, PVOID*) {
    InitializeCriticalSection(&entryLock);
    std::atexit(&DeleteEntryLock);  // a DLL's exit functions run when it unloads
    return TRUE;
}

}  // namespace

// The loader calls this for every attach and detach; all we need is our handle.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) moduleInstance = instance;
    return TRUE;
}

namespace tav {

void* ModuleHandle() {
    // Linked into a program rather than a DLL, the program is the module.
    return moduleInstance != nullptr ? moduleInstance : GetModuleHandleW(nullptr);
}

EntryLockGuard::EntryLockGuard() {
    InitOnceExecuteOnce(&entryLockOnce, &CreateEntryLock, nullptr, nullptr);
    EnterCriticalSection(&entryLock);
}

EntryLockGuard::~EntryLockGuard() {
    LeaveCriticalSection(&entryLock);
}

}  // namespace tav
