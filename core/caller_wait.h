// How the threads that call a BlockPlugin wait for its audio thread, and the lock
// they take among themselves: the system's threads, or in the browser nothing, where
// one thread (the AudioWorklet's) makes every call and never meets itself.
#pragma once

#if defined(TAV_PLATFORM_WEB)
#include "core/caller_wait_web.h"
#else
#include "core/caller_wait_threads.h"
#endif
