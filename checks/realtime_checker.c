/* A checker preloaded into a host (LD_PRELOAD): it catches every allocation,
 * lock, wait, sleep and common system call made on a thread while that thread is
 * inside a plug-in's audio callback. The host marks the callback with
 * tav_rt_enter() and tav_rt_leave(); a host without the checker finds neither
 * symbol and runs as always. At exit it prints what it caught to stderr and, when
 * anything was caught, ends the process with status 86.
 *
 * TAV_RT_ALLOW=lock lets pthread_mutex_lock, trylock and unlock pass (counted,
 * reported, not failed): the VST 2 design keeps an instance lock around its
 * callbacks.
 *
 * Under AddressSanitizer the sanitizer's runtime is preloaded ahead of the checker
 * (LD_PRELOAD=libasan.so:checker.so, as ASan must come first): its malloc and free
 * answer before these wrappers could, so the checker sees allocations through the
 * hooks the sanitizer's allocator calls instead. The locks, waits and system calls
 * the sanitizer intercepts itself (pthread_mutex_lock, sem_wait, read, write, ioctl,
 * poll, mmap) it passes on to the next definition in the process, this library's,
 * so the wrappers below still see them.
 *
 * Written in C so that the wrappers carry exactly the C library's signatures, and
 * allocating nothing itself: the table of counts is static, the report is written
 * with write(2). Built without sanitizers: it runs inside the allocator's hooks. */
#undef _FORTIFY_SOURCE
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <semaphore.h>
#include <stdarg.h>
#include <stdatomic.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/select.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#if __has_include(<sanitizer/allocator_interface.h>)
#include <sanitizer/allocator_interface.h>
#else  // GCC 12's runtime has the function but installs no header for it
int __sanitizer_install_malloc_and_free_hooks(void (*malloc_hook)(const volatile void*, size_t),
                                              void (*free_hook)(const volatile void*));
#endif
// Weak: without a sanitizer in the process the address is null and the wrappers serve.
#pragma weak __sanitizer_install_malloc_and_free_hooks

#define TAV_RT_EXPORT __attribute__((visibility("default")))

/* Every call the checker watches, by name, in the report's order. */
#define TAV_RT_CALLS(X)                                                                           \
    X(malloc)                                                                                     \
    X(calloc)                                                                                     \
    X(realloc)                                                                                    \
    X(free)                                                                                       \
    X(aligned_alloc)                                                                              \
    X(posix_memalign) X(memalign) X(pthread_mutex_lock) X(pthread_mutex_trylock)                  \
        X(pthread_mutex_timedlock) X(pthread_mutex_unlock) X(pthread_cond_wait)                   \
            X(pthread_cond_timedwait) X(pthread_cond_signal) X(pthread_cond_broadcast)            \
                X(pthread_rwlock_rdlock) X(pthread_rwlock_wrlock) X(sem_wait) X(nanosleep)        \
                    X(clock_nanosleep) X(usleep) X(sleep) X(sched_yield) X(write) X(read) X(open) \
                        X(open64) X(openat) X(openat64) X(close) X(ioctl) X(poll) X(select)       \
                            X(mmap) X(munmap) X(syscall) X(futex)

enum {
#define TAV_RT_ENUM(name) call_##name,
    TAV_RT_CALLS(TAV_RT_ENUM)
#undef TAV_RT_ENUM
        call_count
};

static const char* const call_names[call_count] = {
#define TAV_RT_NAME(name) #name,
    TAV_RT_CALLS(TAV_RT_NAME)
#undef TAV_RT_NAME
};

static atomic_long caught[call_count];
static atomic_long allowed_calls[call_count];
static atomic_long callbacks;
static int allowed[call_count];

/* Initial-exec: reading the flag must not make the loader allocate thread storage. */
static __thread int depth __attribute__((tls_model("initial-exec")));

TAV_RT_EXPORT void tav_rt_enter(void) {
    if (depth++ == 0) atomic_fetch_add_explicit(&callbacks, 1, memory_order_relaxed);
}

TAV_RT_EXPORT void tav_rt_leave(void) {
    if (depth > 0) --depth;
}

static void note(int call) {
    if (depth == 0) return;
    atomic_fetch_add_explicit(allowed[call] ? &allowed_calls[call] : &caught[call], 1,
                              memory_order_relaxed);
}

/* --- The functions underneath, found once with dlsym(RTLD_NEXT) ------------- */

typedef void (*any_fn)(void);
#define TAV_RT_POINTER(name) static any_fn real_##name;
TAV_RT_CALLS(TAV_RT_POINTER)
#undef TAV_RT_POINTER

/* dlsym may allocate (calloc for its error state) before the allocator is found:
 * those few early blocks come from here and are never given back. */
static _Alignas(16) unsigned char arena[64 * 1024];
static atomic_size_t arena_used;
static atomic_int resolving;

static void* arena_alloc(size_t size) {
    const size_t need = (size + 16 + 15) & ~(size_t)15;
    const size_t at = atomic_fetch_add(&arena_used, need);
    if (at + need > sizeof arena) return NULL;
    memcpy(arena + at, &size, sizeof size);  // the size, for realloc
    return arena + at + 16;
}

static int in_arena(const void* p) {
    return (const unsigned char*)p >= arena && (const unsigned char*)p < arena + sizeof arena;
}

static void resolve(void) {
    if (atomic_exchange(&resolving, 1) != 0) return;
#define TAV_RT_RESOLVE(name) *(void**)&real_##name = dlsym(RTLD_NEXT, #name);
    TAV_RT_CALLS(TAV_RT_RESOLVE)
#undef TAV_RT_RESOLVE
    atomic_store(&resolving, 0);
}

/* The real function of that name as a pointer of the call's type; NULL while the
 * table is being filled (allocations are served from the arena then). */
#define REAL(name, type)                                                 \
    ((type)(real_##name != NULL || atomic_load(&resolving) ? real_##name \
                                                           : (resolve(), real_##name)))

/* --- Allocation ------------------------------------------------------------- */

typedef void* (*malloc_fn)(size_t);
typedef void* (*calloc_fn)(size_t, size_t);
typedef void* (*realloc_fn)(void*, size_t);
typedef void (*free_fn)(void*);
typedef void* (*aligned_fn)(size_t, size_t);
typedef int (*posix_memalign_fn)(void**, size_t, size_t);

TAV_RT_EXPORT void* malloc(size_t size) {
    note(call_malloc);
    malloc_fn f = REAL(malloc, malloc_fn);
    return f != NULL ? f(size) : arena_alloc(size);
}

TAV_RT_EXPORT void* calloc(size_t n, size_t size) {
    note(call_calloc);
    calloc_fn f = REAL(calloc, calloc_fn);
    if (f != NULL) return f(n, size);
    if (size != 0 && n > SIZE_MAX / size) return NULL;
    return arena_alloc(n * size);  // static storage is zero already
}

TAV_RT_EXPORT void* realloc(void* p, size_t size) {
    note(call_realloc);
    if (p != NULL && in_arena(p)) {
        void* moved = malloc(size);
        size_t old;
        memcpy(&old, (unsigned char*)p - 16, sizeof old);
        if (moved != NULL) memcpy(moved, p, old < size ? old : size);
        return moved;
    }
    realloc_fn f = REAL(realloc, realloc_fn);
    return f != NULL ? f(p, size) : arena_alloc(size);
}

TAV_RT_EXPORT void free(void* p) {
    note(call_free);
    if (p == NULL || in_arena(p)) return;
    free_fn f = REAL(free, free_fn);
    if (f != NULL) f(p);
}

TAV_RT_EXPORT void* aligned_alloc(size_t alignment, size_t size) {
    note(call_aligned_alloc);
    return REAL(aligned_alloc, aligned_fn)(alignment, size);
}

TAV_RT_EXPORT void* memalign(size_t alignment, size_t size) {
    note(call_memalign);
    return REAL(memalign, aligned_fn)(alignment, size);
}

TAV_RT_EXPORT int posix_memalign(void** out, size_t alignment, size_t size) {
    note(call_posix_memalign);
    return REAL(posix_memalign, posix_memalign_fn)(out, alignment, size);
}

/* The sanitizer's allocator calls these for every allocation and release, whatever
 * function made it (calloc, realloc, operator new): counted as malloc and free. */
static void sanitizer_malloc_hook(const volatile void* p, size_t size) {
    (void)p;
    (void)size;
    note(call_malloc);
}

static void sanitizer_free_hook(const volatile void* p) {
    (void)p;
    note(call_free);
}

/* --- Locks, waits, sleeps and system calls: count, then pass on -------------- */

#define PASS(name, ret, params, args)          \
    TAV_RT_EXPORT ret name params {            \
        note(call_##name);                     \
        return REAL(name, ret(*) params) args; \
    }

/* Inside a callback a lock is tried first: when another thread holds it, the wait
 * is timed, for the report's count of waits and the longest. */
static atomic_long waits, waits_over_100us, waits_over_1ms, longest_wait_ns;

static long long now_ns(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (long long)t.tv_sec * 1000000000LL + t.tv_nsec;
}

TAV_RT_EXPORT int pthread_mutex_lock(pthread_mutex_t* m) {
    note(call_pthread_mutex_lock);
    int (*lock)(pthread_mutex_t*) = REAL(pthread_mutex_lock, int (*)(pthread_mutex_t*));
    if (depth == 0) return lock(m);
    int (*try_lock)(pthread_mutex_t*) = REAL(pthread_mutex_trylock, int (*)(pthread_mutex_t*));
    if (try_lock(m) == 0) return 0;
    const long long begun = now_ns();
    const int result = lock(m);
    const long waited = (long)(now_ns() - begun);
    atomic_fetch_add_explicit(&waits, 1, memory_order_relaxed);
    if (waited > 100000) atomic_fetch_add_explicit(&waits_over_100us, 1, memory_order_relaxed);
    if (waited > 1000000) atomic_fetch_add_explicit(&waits_over_1ms, 1, memory_order_relaxed);
    long longest = atomic_load_explicit(&longest_wait_ns, memory_order_relaxed);
    while (waited > longest && !atomic_compare_exchange_weak(&longest_wait_ns, &longest, waited)) {
    }
    return result;
}

PASS(pthread_mutex_trylock, int, (pthread_mutex_t * m), (m))
PASS(pthread_mutex_timedlock, int, (pthread_mutex_t * m, const struct timespec* t), (m, t))
PASS(pthread_mutex_unlock, int, (pthread_mutex_t * m), (m))
PASS(pthread_cond_wait, int, (pthread_cond_t * c, pthread_mutex_t* m), (c, m))
PASS(pthread_cond_timedwait, int,
     (pthread_cond_t * c, pthread_mutex_t* m, const struct timespec* t), (c, m, t))
PASS(pthread_cond_signal, int, (pthread_cond_t * c), (c))
PASS(pthread_cond_broadcast, int, (pthread_cond_t * c), (c))
PASS(pthread_rwlock_rdlock, int, (pthread_rwlock_t * l), (l))
PASS(pthread_rwlock_wrlock, int, (pthread_rwlock_t * l), (l))
PASS(sem_wait, int, (sem_t * s), (s))
PASS(nanosleep, int, (const struct timespec* t, struct timespec* rest), (t, rest))
PASS(clock_nanosleep, int,
     (clockid_t c, int flags, const struct timespec* t, struct timespec* rest), (c, flags, t, rest))
PASS(usleep, int, (useconds_t us), (us))
PASS(sleep, unsigned, (unsigned s), (s))
PASS(sched_yield, int, (void), ())
PASS(write, ssize_t, (int fd, const void* data, size_t n), (fd, data, n))
PASS(read, ssize_t, (int fd, void* data, size_t n), (fd, data, n))
PASS(close, int, (int fd), (fd))
PASS(poll, int, (struct pollfd * fds, nfds_t n, int timeout), (fds, n, timeout))
PASS(select, int, (int n, fd_set* r, fd_set* w, fd_set* e, struct timeval* t), (n, r, w, e, t))
PASS(mmap, void*, (void* at, size_t n, int prot, int flags, int fd, off_t offset),
     (at, n, prot, flags, fd, offset))
PASS(munmap, int, (void* at, size_t n), (at, n))

/* The mode argument is there only when the flags create a file. */
static mode_t mode_of(int flags, va_list args) {
    return (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(args, mode_t) : 0;
}

#define OPEN(name)                                                            \
    TAV_RT_EXPORT int name(const char* path, int flags, ...) {                \
        note(call_##name);                                                    \
        va_list args;                                                         \
        va_start(args, flags);                                                \
        const mode_t mode = mode_of(flags, args);                             \
        va_end(args);                                                         \
        return REAL(name, int (*)(const char*, int, ...))(path, flags, mode); \
    }
#define OPENAT(name)                                                                    \
    TAV_RT_EXPORT int name(int dir, const char* path, int flags, ...) {                 \
        note(call_##name);                                                              \
        va_list args;                                                                   \
        va_start(args, flags);                                                          \
        const mode_t mode = mode_of(flags, args);                                       \
        va_end(args);                                                                   \
        return REAL(name, int (*)(int, const char*, int, ...))(dir, path, flags, mode); \
    }
OPEN(open)
OPEN(open64)
OPENAT(openat)
OPENAT(openat64)

TAV_RT_EXPORT int ioctl(int fd, unsigned long request, ...) {
    note(call_ioctl);
    va_list args;
    va_start(args, request);
    void* arg = va_arg(args, void*);
    va_end(args);
    return REAL(ioctl, int (*)(int, unsigned long, ...))(fd, request, arg);
}

/* Futex waits and wakes through syscall() (std::atomic::wait, hand-made locks) are
 * named apart from other raw system calls. */
TAV_RT_EXPORT long syscall(long number, ...) {
    note(number == SYS_futex ? call_futex : call_syscall);
    va_list args;
    va_start(args, number);
    long a[6];
    for (int i = 0; i < 6; ++i) a[i] = va_arg(args, long);
    va_end(args);
    return REAL(syscall, long (*)(long, ...))(number, a[0], a[1], a[2], a[3], a[4], a[5]);
}

/* --- Set-up and the report ----------------------------------------------------- */

static int same_word(const char* from, size_t length, const char* word) {
    return strlen(word) == length && strncmp(from, word, length) == 0;
}

__attribute__((constructor)) static void start(void) {
    resolve();
    if (__sanitizer_install_malloc_and_free_hooks != NULL) {
        __sanitizer_install_malloc_and_free_hooks(sanitizer_malloc_hook, sanitizer_free_hook);
    }
    /* A list of call names, or "lock" for the mutex calls a lock and unlock make. */
    const char* allow = getenv("TAV_RT_ALLOW");
    while (allow != NULL && *allow != '\0') {
        const size_t length = strcspn(allow, ", ");
        for (int c = 0; c < call_count; ++c) {
            if (same_word(allow, length, call_names[c])) allowed[c] = 1;
        }
        if (same_word(allow, length, "lock")) {
            allowed[call_pthread_mutex_lock] = allowed[call_pthread_mutex_trylock] =
                allowed[call_pthread_mutex_unlock] = 1;
        }
        allow += length;
        allow += strspn(allow, ", ");
    }
}

/* The report is built in static memory and written once. */
static char report[4096];
static size_t report_length;

static void put(const char* text) {
    const size_t n = strlen(text);
    if (report_length + n >= sizeof report) return;
    memcpy(report + report_length, text, n);
    report_length += n;
}

static void put_number(long value) {
    char digits[24];
    int n = 0;
    do {
        digits[n++] = (char)('0' + value % 10);
        value /= 10;
    } while (value > 0 && n < (int)sizeof digits);
    char text[24];
    for (int i = 0; i < n; ++i) text[i] = digits[n - 1 - i];
    text[n] = '\0';
    put(text);
}

static void put_counts(atomic_long* counts) {
    const char* separator = "";
    for (int c = 0; c < call_count; ++c) {
        const long n = atomic_load(&counts[c]);
        if (n == 0) continue;
        put(separator);
        put(call_names[c]);
        put(" x");
        put_number(n);
        separator = ", ";
    }
}

static long total(atomic_long* counts) {
    long sum = 0;
    for (int c = 0; c < call_count; ++c) sum += atomic_load(&counts[c]);
    return sum;
}

/* Runs as the process exits, after the host's own clean-up. */
__attribute__((destructor)) static void finish(void) {
    const long found = total(caught), passed = total(allowed_calls);
    put("realtime checker: ");
    if (found > 0) {
        put_number(found);
        put(" calls inside audio callbacks: ");
        put_counts(caught);
    } else {
        put("nothing inside audio callbacks, ");
        put_number(atomic_load(&callbacks));
        put(" callbacks checked");
    }
    if (passed > 0) {
        put(" (allowed: ");
        put_counts(allowed_calls);
        put(")");
    }
    put("\n");
    if (atomic_load(&callbacks) > 0) {
        put("realtime checker: lock waits inside audio callbacks: ");
        put_number(atomic_load(&waits));
        put(" (over 100 us: ");
        put_number(atomic_load(&waits_over_100us));
        put(", over 1 ms: ");
        put_number(atomic_load(&waits_over_1ms));
        put(", longest ");
        put_number(atomic_load(&longest_wait_ns) / 1000);
        put(" us)\n");
    }
    ssize_t (*out)(int, const void*, size_t) = REAL(write, ssize_t(*)(int, const void*, size_t));
    for (size_t done = 0; done < report_length;) {
        const ssize_t n = out(2, report + done, report_length - done);
        if (n <= 0) break;
        done += (size_t)n;
    }
    if (found > 0) {
        fflush(NULL);  // the host's buffered output still belongs to the run
        _exit(86);
    }
}
