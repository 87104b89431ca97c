#include "bench/bench_support.h"

#include <ctime>

namespace tav::bench {

double ThreadCpuNs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_nsec);
}

benchmark::Counter NsPerItem(const benchmark::State& state, double itemsPerIteration) {
    // A rate of items per second, inverted: seconds per item.
    return benchmark::Counter(static_cast<double>(state.iterations()) * itemsPerIteration,
                              benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

}  // namespace tav::bench
