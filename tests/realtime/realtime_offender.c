/* Makes one call the real-time checker must catch, inside a marked audio callback,
 * found as tavhost finds the marks. Proves the checker sees each kind of call it
 * is there for, and lets the allowed lock through. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <linux/futex.h>
#include <pthread.h>
#include <stdlib.h>
#include <string.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

typedef void (*mark_fn)(void);

static void* volatile kept;
static int futex_word;

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    mark_fn enter, leave;
    *(void**)&enter = dlsym(RTLD_DEFAULT, "tav_rt_enter");
    *(void**)&leave = dlsym(RTLD_DEFAULT, "tav_rt_leave");
    if (enter == NULL || leave == NULL) return 3;  // no checker preloaded
    const char* call = argv[1];
    static pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
    const struct timespec moment = {0, 1};
    enter();
    if (strcmp(call, "malloc") == 0) {
        kept = malloc(64);
    } else if (strcmp(call, "pthread_mutex_lock") == 0) {
        pthread_mutex_lock(&mutex);
        pthread_mutex_unlock(&mutex);
    } else if (strcmp(call, "write") == 0) {
        if (write(1, "", 0) != 0) return 4;
    } else if (strcmp(call, "nanosleep") == 0) {
        nanosleep(&moment, NULL);
    } else if (strcmp(call, "futex") == 0) {
        syscall(SYS_futex, &futex_word, FUTEX_WAKE_PRIVATE, 1, NULL, NULL, 0);
    } else if (strcmp(call, "nothing") != 0) {
        return 2;
    }
    leave();
    free(kept);
    return 0;
}
