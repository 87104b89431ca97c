#include "core/module_handle.h"

namespace tav {

// A WebAssembly module has no load address and one thread creates its instances.
void* ModuleHandle() {
    return nullptr;
}

EntryLockGuard::EntryLockGuard() = default;
EntryLockGuard::~EntryLockGuard() = default;

}  // namespace tav
