// The benchmark programs that set our operations beside a reference library: the
// usual table, then per operation our CPU time, the reference's and their ratio.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace tav::bench {

// Benchmarks come in pairs named <operation>_tavrellion and <operation>_<reference>.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    RatioReporter(std::vector<std::string> operations, std::vector<std::string> references);

    void ReportRuns(const std::vector<Run>& runs) override;
    void Finalize() override;

  private:
    std::vector<std::string> operations_;
    std::vector<std::string> references_;
    std::map<std::string, double> times_;  // by name; the median when repeated
};

// Runs the benchmarks the command line selects through a RatioReporter; the exit code.
int RunWithRatios(int argc, char** argv, std::vector<std::string> operations,
                  std::vector<std::string> references);

}  // namespace tav::bench
