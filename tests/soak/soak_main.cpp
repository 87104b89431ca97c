// tavsoak: a long run of one plug-in instance the way a busy host drives it.
// An audio thread processes real-time paced blocks while other threads automate
// parameters, switch and rename programs, move chunks in and out and ask for
// display texts, and extra instances come and go. Memory (and on Windows GDI objects
// and windows) is measured after a warm-up and at the end; the run fails on non-finite
// audio, a refused own chunk, or any of these that keeps growing.
// With --editor-cycles the window thread also opens and closes the editor in a
// host window that many times; the first cycle counts as warm-up (caches fill).
//   tavsoak --module PATH [--seconds N] [--editor-cycles N] [--no-growth-check]
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "host/formats/hosted_vst2.h"
#include "tests/soak/host_window.h"
#include "tests/soak/process_memory.h"

namespace tav {
namespace {

using Clock = std::chrono::steady_clock;

// Heap growth allowed between the warm-up and the end: allocator slack, not a leak.
constexpr int64_t kGrowthAllowance = 256 * 1024;
// GDI objects that may appear after the warm-up: a few that Wine creates and keeps
// on its own schedule. A leak in the editor's cycle would add one or more per cycle.
constexpr int64_t kGdiAllowance = 8;

struct Options {
    std::string module;
    double seconds = 600.0;
    int editorCycles = 0;
    bool growthCheck = true;
};

struct Counters {
    std::atomic<long> blocks{0}, parameterSets{0}, programChanges{0}, chunkTrips{0}, texts{0};
    std::atomic<long> instances{0};
    std::atomic<long> nonFinite{0}, refusedChunks{0};
};

uint32_t Next(uint32_t& seed) {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
}

void Audio(HostedVst2& plugin, const std::atomic<bool>& stop, Counters& counters) {
    constexpr int kFrames = 512;
    const auto blockTime = std::chrono::duration<double>(kFrames / plugin.Settings().sampleRate);
    std::vector<float> left(kFrames), right(kFrames);
    std::vector<double> leftD(kFrames), rightD(kFrames);
    const Clock::time_point start = Clock::now();
    for (long n = 0; !stop.load(); ++n) {
        for (int i = 0; i < kFrames; ++i) {
            const double x = 0.4 * std::sin(0.031 * static_cast<double>(n * kFrames + i));
            left[static_cast<size_t>(i)] = right[static_cast<size_t>(i)] = static_cast<float>(x);
            leftD[static_cast<size_t>(i)] = rightD[static_cast<size_t>(i)] = x;
        }
        float* io[2] = {left.data(), right.data()};
        double* ioD[2] = {leftD.data(), rightD.data()};
        bool finite = true;
        if (n % 3 == 2) {
            plugin.ProcessDouble(ioD, ioD, kFrames);
            for (int i = 0; i < kFrames; ++i)
                finite = finite && std::isfinite(leftD[static_cast<size_t>(i)]);
        } else {
            plugin.Process(n % 3 == 0 ? ProcessKind::Replacing : ProcessKind::Accumulating, io, io,
                           kFrames);
            for (int i = 0; i < kFrames; ++i)
                finite = finite && std::isfinite(left[static_cast<size_t>(i)]);
        }
        plugin.AdvanceTransport(kFrames);
        if (!finite) ++counters.nonFinite;
        ++counters.blocks;
        // A host's audio clock: one block per block length; a slow run (Valgrind) just falls
        // behind.
        std::this_thread::sleep_until(start + std::chrono::duration_cast<Clock::duration>(
                                                  blockTime * static_cast<double>(n + 1)));
    }
}

void Automation(HostedVst2& plugin, const std::atomic<bool>& stop, Counters& counters) {
    uint32_t seed = 1;
    while (!stop.load()) {
        const int index = static_cast<int>(Next(seed) % static_cast<uint32_t>(plugin.NumParams()));
        plugin.SetParameter(index, static_cast<float>(Next(seed) % 1001) / 1000.0f);
        const float unit = plugin.GetParameter(index);
        if (!(unit >= 0.0f && unit <= 1.0f)) ++counters.nonFinite;
        ++counters.parameterSets;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

void Programs(HostedVst2& plugin, const std::atomic<bool>& stop, Counters& counters) {
    uint32_t seed = 2;
    for (long n = 0; !stop.load(); ++n) {
        plugin.SetProgram(
            static_cast<int>(Next(seed) % static_cast<uint32_t>(plugin.NumPrograms())));
        if (n % 8 == 0) {
            char name[64];
            std::snprintf(name, sizeof name, "soak %ld", n);
            plugin.Dispatch(effSetProgramName, 0, 0, name);
        }
        plugin.ProgramName(static_cast<int>(n % plugin.NumPrograms()));
        ++counters.programChanges;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

void Chunks(HostedVst2& plugin, const std::atomic<bool>& stop, Counters& counters) {
    for (long n = 0; !stop.load(); ++n) {
        const bool bank = n % 2 == 0;
        std::vector<uint8_t> chunk = plugin.GetChunk(bank);
        if (chunk.empty() || !plugin.SetChunk(bank, chunk)) ++counters.refusedChunks;
        // A damaged copy must be refused, and refusing must cost nothing.
        chunk.resize(chunk.size() / 2);
        if (plugin.SetChunk(bank, chunk)) ++counters.refusedChunks;
        ++counters.chunkTrips;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void Texts(HostedVst2& plugin, const std::atomic<bool>& stop, Counters& counters) {
    while (!stop.load()) {
        for (int i = 0; i < plugin.NumParams(); ++i) {
            plugin.ParamDisplay(i);
            plugin.ParamName(i);
        }
        plugin.Dispatch(effEditIdle);
        ++counters.texts;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// Projects open and close beside the running instance: each extra instance must
// give back everything it took.
void Instances(const std::string& module, const std::atomic<bool>& stop, Counters& counters) {
    std::vector<float> left(256), right(256);
    while (!stop.load()) {
        std::string error;
        auto plugin = HostedVst2::Load(module, HostSettings(), &error);
        if (!plugin) {
            ++counters.refusedChunks;
            return;
        }
        plugin->Start();
        float* io[2] = {left.data(), right.data()};
        plugin->Process(ProcessKind::Replacing, io, io, 256);
        plugin->SetChunk(true, plugin->GetChunk(true));
        plugin->Close();
        ++counters.instances;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
}

// The window thread's part: open the editor in the host window, let it tick a
// few times, close it; spread over the run.
class EditorCycles {
  public:
    EditorCycles(HostedVst2& plugin, int cycles) : plugin_(plugin), wanted_(cycles) {
        if (wanted_ > 0 && (plugin_.Effect()->flags & effFlagsHasEditor) == 0) {
            std::printf("the module has no editor: no editor cycles\n");
            wanted_ = 0;
        }
        if (wanted_ > 0) window_ = std::make_unique<HostWindow>();
        if (window_ && window_->Handle() == nullptr) {
            std::printf("no host window on this platform: no editor cycles\n");
            wanted_ = 0;
        }
    }

    void Cycle() {
        if (done_ >= wanted_) return;
        if (plugin_.Dispatch(effEditOpen, 0, 0, window_->Handle()) == 0) ++failures_;
        for (int tick = 0; tick < 3; ++tick) {
            window_->Pump();
            plugin_.Dispatch(effEditIdle);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        plugin_.Dispatch(effEditClose);
        window_->Pump();
        ++done_;
    }

    // Cycles until the deadline, reaching share of the wanted count by then.
    void RunUntil(Clock::time_point deadline, double share) {
        const int target = static_cast<int>(wanted_ * share);
        while (Clock::now() < deadline) {
            if (done_ < target) {
                Cycle();
            } else {
                if (window_) window_->Pump();
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        }
    }

    // Whatever the deadline left undone.
    void Finish() {
        while (done_ < wanted_) Cycle();
        if (wanted_ > 0)
            std::printf("%d editor open/close cycles, %d failed to open\n", done_, failures_);
    }

    int Failures() const { return failures_; }

  private:
    HostedVst2& plugin_;
    int wanted_;
    int done_ = 0;
    int failures_ = 0;
    std::unique_ptr<HostWindow> window_;
};

std::string Describe(const ProcessMemory& m) {
    auto kib = [](int64_t bytes) {
        return bytes < 0 ? std::string("n/a") : std::to_string(bytes / 1024) + " KiB";
    };
    auto count = [](int64_t n) { return n < 0 ? std::string("n/a") : std::to_string(n); };
    return "heap in use " + kib(m.heapBytes) + ", private " + kib(m.privateBytes) +
           ", GDI objects " + count(m.gdiObjects) + ", windows " + count(m.windows);
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--module" && i + 1 < argc) {
            options.module = argv[++i];
        } else if (arg == "--seconds" && i + 1 < argc) {
            options.seconds = std::atof(argv[++i]);
        } else if (arg == "--editor-cycles" && i + 1 < argc) {
            options.editorCycles = std::atoi(argv[++i]);
        } else if (arg == "--no-growth-check") {
            options.growthCheck = false;
        } else {
            return false;
        }
    }
    return !options.module.empty() && options.seconds > 0.0;
}

int Soak(const Options& options) {
    std::string error;
    auto plugin = HostedVst2::Load(options.module, HostSettings(), &error);
    if (!plugin) {
        std::fprintf(stderr, "tavsoak: %s\n", error.c_str());
        return 2;
    }
    plugin->Start();

    Counters counters;
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    threads.emplace_back(Audio, std::ref(*plugin), std::cref(stop), std::ref(counters));
    threads.emplace_back(Automation, std::ref(*plugin), std::cref(stop), std::ref(counters));
    threads.emplace_back(Programs, std::ref(*plugin), std::cref(stop), std::ref(counters));
    threads.emplace_back(Chunks, std::ref(*plugin), std::cref(stop), std::ref(counters));
    threads.emplace_back(Texts, std::ref(*plugin), std::cref(stop), std::ref(counters));
    threads.emplace_back(Instances, std::cref(options.module), std::cref(stop), std::ref(counters));

    // Caches and logs fill during the first tenth of the run (and the first editor
    // cycle); growth after that is suspect.
    EditorCycles editor(*plugin, options.editorCycles);
    editor.Cycle();
    const Clock::time_point start = Clock::now();
    const auto total = std::chrono::duration<double>(options.seconds);
    editor.RunUntil(start + std::chrono::duration_cast<Clock::duration>(total * 0.1), 0.1);
    const ProcessMemory warm = MeasureProcessMemory();
    std::printf("after warm-up: %s\n", Describe(warm).c_str());
    std::fflush(stdout);
    editor.RunUntil(start + std::chrono::duration_cast<Clock::duration>(total), 1.0);
    stop = true;
    for (std::thread& thread : threads) thread.join();
    editor.Finish();
    const ProcessMemory end = MeasureProcessMemory();
    std::printf("at the end:    %s\n", Describe(end).c_str());
    const double audioSeconds =
        static_cast<double>(counters.blocks.load()) * 512.0 / plugin->Settings().sampleRate;
    std::printf(
        "%.0f s: %ld blocks (%.0f s of audio), %ld parameter sets, %ld program changes, "
        "%ld chunk round trips, %ld text rounds, %ld extra instances\n",
        options.seconds, counters.blocks.load(), audioSeconds, counters.parameterSets.load(),
        counters.programChanges.load(), counters.chunkTrips.load(), counters.texts.load(),
        counters.instances.load());
    plugin->Close();

    bool ok = true;
    if (editor.Failures() > 0) {
        std::printf("FAIL: the editor did not open every time\n");
        ok = false;
    }
    if (counters.nonFinite.load() > 0) {
        std::printf("FAIL: %ld blocks or parameters out of bounds\n", counters.nonFinite.load());
        ok = false;
    }
    if (counters.refusedChunks.load() > 0) {
        std::printf("FAIL: %ld chunk answers or instances wrong\n", counters.refusedChunks.load());
        ok = false;
    }
    const int64_t growth = end.heapBytes - warm.heapBytes;
    if (options.growthCheck && warm.heapBytes >= 0) {
        std::printf("heap growth after warm-up: %lld KiB\n", static_cast<long long>(growth / 1024));
        if (growth > kGrowthAllowance) {
            std::printf("FAIL: the heap kept growing\n");
            ok = false;
        }
    }
    if (options.growthCheck && warm.gdiObjects >= 0) {
        std::printf("GDI objects after warm-up: %+lld, windows %+lld\n",
                    static_cast<long long>(end.gdiObjects - warm.gdiObjects),
                    static_cast<long long>(end.windows - warm.windows));
        if (end.gdiObjects - warm.gdiObjects > kGdiAllowance || end.windows > warm.windows) {
            std::printf("FAIL: GDI objects or windows kept growing\n");
            ok = false;
        }
    }
    std::printf(ok ? "soak passed\n" : "soak FAILED\n");
    return ok ? 0 : 1;
}

}  // namespace
}  // namespace tav

int main(int argc, char** argv) {
    tav::Options options;
    if (!tav::ParseOptions(argc, argv, options)) {
        std::fprintf(
            stderr,
            "usage: tavsoak --module PATH [--seconds N] [--editor-cycles N] [--no-growth-check]\n");
        return 2;
    }
    return tav::Soak(options);
}
