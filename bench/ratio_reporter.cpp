#include "bench/ratio_reporter.h"

#include <cstdio>
#include <utility>

namespace tav::bench {

RatioReporter::RatioReporter(std::vector<std::string> operations,
                             std::vector<std::string> references)
    : operations_(std::move(operations)), references_(std::move(references)) {}

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
        if (run.error_occurred) continue;
        if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") continue;
        times_[run.run_name.function_name] = run.GetAdjustedCPUTime();
    }
}

void RatioReporter::Finalize() {
    ConsoleReporter::Finalize();
    std::printf("\n%-12s %14s %14s %10s\n", "operation", "ours (us)", "reference (us)", "ours/ref");
    for (const std::string& op : operations_) {
        const auto ours = times_.find(op + "_tavrellion");
        if (ours == times_.end()) continue;
        for (const std::string& reference : references_) {
            const auto ref = times_.find(op + "_" + reference);
            if (ref == times_.end()) continue;
            std::printf("%-12s %14.2f %14.2f %10.2f  (%s)\n", op.c_str(), ours->second / 1000.0,
                        ref->second / 1000.0, ours->second / ref->second, reference.c_str());
            break;
        }
    }
}

int RunWithRatios(int argc, char** argv, std::vector<std::string> operations,
                  std::vector<std::string> references) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter(std::move(operations), std::move(references));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

}  // namespace tav::bench
