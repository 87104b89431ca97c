// Block processing cost of the phaser engine per stereo frame, next to the
// latencies of the floating-point add and multiply its per-sample chain is made
// of. Cycles are core cycles: the clock is measured with a chain of dependent
// integer adds (one cycle each on any x86-64 core), since the time-stamp
// counter runs at a fixed rate whatever the core clock does.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <vector>

#include "bench/bench_support.h"
#include "effect/phaser_engine.h"
#include "effect/phaser_params.h"

namespace {

constexpr int kTurns = 512;
constexpr int kChain = kTurns * 8;

#define TAV_CHAIN8(op) op op op op op op op op

// Chains of eight dependent operations per turn of an asm loop, so the value
// never leaves its register and nothing gets folded away.
uint64_t IntAddChain(uint64_t x) {
    const uint64_t one = 1;  // a register operand: immediates can be folded at rename
    int n = kTurns;
    asm volatile("1:\n\t" TAV_CHAIN8("add %[y], %[x]\n\t") "dec %[n]\n\tjnz 1b"
                 : [x] "+r"(x), [n] "+r"(n)
                 : [y] "r"(one));
    return x;
}

double AddChain(double x) {
    const double step = 1e-300;
    int n = kTurns;
    asm volatile("1:\n\t" TAV_CHAIN8("addsd %[s], %[x]\n\t") "dec %[n]\n\tjnz 1b"
                 : [x] "+x"(x), [n] "+r"(n)
                 : [s] "x"(step));
    return x;
}

double MulChain(double x) {
    const double one = 1.0;
    int n = kTurns;
    asm volatile("1:\n\t" TAV_CHAIN8("mulsd %[s], %[x]\n\t") "dec %[n]\n\tjnz 1b"
                 : [x] "+x"(x), [n] "+r"(n)
                 : [s] "x"(one));
    return x;
}

// Core clock in GHz: the fastest of many short runs, so that time lost to
// other processes does not count.
double CoreGHz() {
    static const double ghz = [] {
        using Clock = std::chrono::steady_clock;
        double best = 1e30;
        uint64_t x = 0;
        for (int run = 0; run < 200; ++run) {
            const auto start = Clock::now();
            for (int i = 0; i < 64; ++i) x = IntAddChain(x);
            const double ns =
                std::chrono::duration<double, std::nano>(Clock::now() - start).count();
            best = std::min(best, ns / (64.0 * kChain));
        }
        benchmark::DoNotOptimize(x);
        return 1.0 / best;
    }();
    return ghz;
}

// Runs body once per benchmark iteration and reports time and core cycles per
// unit of work.
template <class Body>
void Measure(benchmark::State& state, double unitsPerIteration, Body body) {
    const double ghz = CoreGHz();
    const double start = tav::bench::ThreadCpuNs();
    for (auto _ : state) body();
    const double ns = (tav::bench::ThreadCpuNs() - start) /
                      (static_cast<double>(state.iterations()) * unitsPerIteration);
    state.counters["ns"] = ns;
    state.counters["cycles"] = ns * ghz;
    state.counters["core_GHz"] = ghz;
}

// What changes between blocks while the engine runs.
enum class Changes { None, Glide, Fade };

// Song: the sweep locked to a playing song's position, which moves on each block.
// Glide on with changes: a wet value every block keeps a glide running, a
// mirror switch every block a cross-fade.
void PhaserBlock(benchmark::State& state, tav::SweepSync sync, bool glide = false,
                 Changes changes = Changes::None) {
    const int frames = static_cast<int>(state.range(0));
    tav::PhaserEngine engine;
    for (int i = 0; i < tav::ParamCount; ++i) {
        engine.ApplySetting(i, tav::kPhaserParamRanges[i].defaultValue);
    }
    engine.SetSweepSync(sync);
    engine.SetGlide(glide);
    // Loud noise keeps the gate shut, so every frame is filtered.
    std::vector<double> inL(frames), inR(frames), outL(frames), outR(frames);
    uint32_t seed = 1;
    for (int k = 0; k < frames; ++k) {
        seed = seed * 1664525u + 1013904223u;
        inL[k] = static_cast<double>(seed >> 8) * 0x1.0p-24 - 0.5;
        seed = seed * 1664525u + 1013904223u;
        inR[k] = static_cast<double>(seed >> 8) * 0x1.0p-24 - 0.5;
    }
    const double* ins[2] = {inL.data(), inR.data()};
    double* outs[2] = {outL.data(), outR.data()};
    const double rate = 44100.0;
    const double beat = rate * 60.0 / 120.0;
    double songBeats = 0.0;
    const double beatsPerBlock = frames / beat;
    engine.ProcessBlock(ins, outs, frames, rate, beat, songBeats);  // first-block set-up

    int turn = 0;
    Measure(state, frames, [&] {
        ++turn;
        if (changes == Changes::Glide) engine.ApplySetting(tav::ParamWetLeft, 20 + turn % 2 * 60);
        if (changes == Changes::Fade) engine.ApplySetting(tav::ParamFilterMirror, turn % 2);
        songBeats += beatsPerBlock;
        engine.ProcessBlock(ins, outs, frames, rate, beat, songBeats);
        benchmark::DoNotOptimize(outs[0][0]);
        benchmark::ClobberMemory();
    });
}

void BM_PhaserBlock(benchmark::State& state) {
    PhaserBlock(state, tav::SweepSync::Free);
}
BENCHMARK(BM_PhaserBlock)->Arg(32)->Arg(256)->Arg(4096);

void BM_PhaserBlockSong(benchmark::State& state) {
    PhaserBlock(state, tav::SweepSync::Song);
}
BENCHMARK(BM_PhaserBlockSong)->Arg(32)->Arg(256)->Arg(4096);

// Glide on: with nothing changing it runs the loop above; gliding and fading are
// the cost for as long as a change takes.
void BM_PhaserBlockGlideSteady(benchmark::State& state) {
    PhaserBlock(state, tav::SweepSync::Free, true);
}
BENCHMARK(BM_PhaserBlockGlideSteady)->Arg(32)->Arg(256)->Arg(4096);

void BM_PhaserBlockGliding(benchmark::State& state) {
    PhaserBlock(state, tav::SweepSync::Free, true, Changes::Glide);
}
BENCHMARK(BM_PhaserBlockGliding)->Arg(256);

void BM_PhaserBlockFading(benchmark::State& state) {
    PhaserBlock(state, tav::SweepSync::Free, true, Changes::Fade);
}
BENCHMARK(BM_PhaserBlockFading)->Arg(256);

void BM_AddLatency(benchmark::State& state) {
    double x = 1.0;
    Measure(state, kChain, [&] { x = AddChain(x); });
    benchmark::DoNotOptimize(x);
}
BENCHMARK(BM_AddLatency);

void BM_MulLatency(benchmark::State& state) {
    double x = 1.0;
    Measure(state, kChain, [&] { x = MulChain(x); });
    benchmark::DoNotOptimize(x);
}
BENCHMARK(BM_MulLatency);

// The loop-carried recurrence of one side, alone: feedback multiply, input add,
// then add, multiply, subtract for each of the four stages. This is the floor
// for one stereo frame, as the two sides run side by side.
double RecurrenceChain(double y) {
    const double fb = 0.5, in = 0.25, c = 0.75, s = 0.125;
    int n = kTurns;
    asm volatile(
        "1:\n\t"
        "mulsd %[fb], %[y]\n\taddsd %[in], %[y]\n\t"
        "addsd %[s], %[y]\n\tmulsd %[c], %[y]\n\tsubsd %[s], %[y]\n\t"
        "addsd %[s], %[y]\n\tmulsd %[c], %[y]\n\tsubsd %[s], %[y]\n\t"
        "addsd %[s], %[y]\n\tmulsd %[c], %[y]\n\tsubsd %[s], %[y]\n\t"
        "addsd %[s], %[y]\n\tmulsd %[c], %[y]\n\tsubsd %[s], %[y]\n\t"
        "dec %[n]\n\tjnz 1b"
        : [y] "+x"(y), [n] "+r"(n)
        : [fb] "x"(fb), [in] "x"(in), [c] "x"(c), [s] "x"(s));
    return y;
}

void BM_RecurrenceLimit(benchmark::State& state) {
    double y = 0.0;
    Measure(state, kTurns, [&] { y = RecurrenceChain(y); });
    benchmark::DoNotOptimize(y);
}
BENCHMARK(BM_RecurrenceLimit);

}  // namespace

BENCHMARK_MAIN();
