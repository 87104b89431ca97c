#include <dlfcn.h>

#include <mutex>

#include "core/module_handle.h"

namespace tav {
namespace {

std::mutex entryLock;

}  // namespace

void* ModuleHandle() {
    static void* const base = [] {
        Dl_info info = {};
        return dladdr(reinterpret_cast<void*>(&ModuleHandle), &info) != 0 ? info.dli_fbase
                                                                          : nullptr;
    }();
    return base;
}

EntryLockGuard::EntryLockGuard() {
    entryLock.lock();
}
EntryLockGuard::~EntryLockGuard() {
    entryLock.unlock();
}

}  // namespace tav
