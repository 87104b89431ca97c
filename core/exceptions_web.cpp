// Debian's libc++ for wasm32 has no unwinding: a C++ exception (only an allocation
// failing, in this code) ends the module, as an uncaught one would. The instance's
// creator sees the trap and reports the instance as failed.
#include <cstddef>
#include <cstdlib>

extern "C" {
void* __cxa_allocate_exception(std::size_t size) {
    return std::malloc(size);
}
[[noreturn]] void __cxa_throw(void*, void*, void (*)(void*)) {
    __builtin_trap();
}
}
