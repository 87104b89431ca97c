// The C and C++ runtimes without stdio. The C++ runtime's last words: libc++'s own print to stderr,
// which pulls WASI's file calls into a module that may import nothing. A call
// through a pure or deleted virtual ends the module as a trap instead.
extern "C" {
[[noreturn]] void __cxa_pure_virtual() {
    __builtin_trap();
}
[[noreturn]] void __cxa_deleted_virtual() {
    __builtin_trap();
}
// snprintf's path through the C library asks for stdio's flush at exit, which
// would bring the standard streams and their file calls; a reactor never exits
// and writes no stream.
void __stdio_exit_needed(void) {}
// The C library's own checks (in printf, scanf and strtod) name stderr; its
// stream writes through WASI. This one has no functions: a report written to it
// traps, as any other fatal error here does.
alignas(16) unsigned char __stderr_FILE[256] = {};
// libc++abi's reporter behind std::terminate and the other fatal paths.
[[noreturn]] void abort_message(const char*, ...) {
    __builtin_trap();
}
}
