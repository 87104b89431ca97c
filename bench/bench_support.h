// Timing helpers the benchmark programs share.
#pragma once

#include <benchmark/benchmark.h>

namespace tav::bench {

// This thread's CPU time in nanoseconds: time lost to other processes does not count.
double ThreadCpuNs();

// A counter showing nanoseconds of CPU time per item, for itemsPerIteration items
// handled in each iteration.
benchmark::Counter NsPerItem(const benchmark::State& state, double itemsPerIteration);

}  // namespace tav::bench
