// Console output of a benchmark program, followed by each measure's ratio to the baseline
// measured in the same run.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace kolvex_bench {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  // (measure, baseline) pairs; a target note for the heading, empty for none.
  RatioReporter(std::vector<std::pair<const char*, const char*>> pairs, std::string target = {})
      : pairs_(std::move(pairs)), target_(std::move(target)) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Iteration)
        times_[r.run_name.function_name] = r.GetAdjustedRealTime();
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\n%-28s %-36s %8s%s\n", "measure", "baseline", "ratio", target_.c_str());
    for (auto [m, b] : pairs_) {
      if (!times_.count(m) || !times_.count(b)) continue;
      std::printf("%-28s %-36s %8.2f\n", m, b, times_[m] / times_[b]);
    }
  }

 private:
  std::vector<std::pair<const char*, const char*>> pairs_;
  std::string target_;
  std::map<std::string, double> times_;
};

// Runs the registered benchmarks with the ratio table at the end.
inline int runWithRatios(int argc, char** argv, RatioReporter& reporter) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}

}  // namespace kolvex_bench
