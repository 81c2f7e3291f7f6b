#pragma once
// A benchmark main that also reports each benchmark's time as a ratio to a
// baseline measured in the same run, so figures compare across machines.
// Ratios are given from wall time and from CPU time: on a shared machine the
// wall time of either side may include time spent waiting for a core.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace benchsupport {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    // With --benchmark_repetitions the median stands for the benchmark.
    for (const Run& r : runs) {
      if (r.error_occurred) continue;
      if (r.run_type == Run::RT_Iteration)
        times_[r.benchmark_name()] = {r.GetAdjustedRealTime(), r.GetAdjustedCPUTime()};
      else if (r.aggregate_name == "median")
        times_[r.run_name.str()] = {r.GetAdjustedRealTime(), r.GetAdjustedCPUTime()};
    }
    ConsoleReporter::ReportRuns(runs);
  }

  // Prints "name / baseline = wall ratio, cpu ratio" for each pair. A
  // baseline written "A|B" is the faster of A and B, taken for each measure
  // on its own: a competitor is compared with its best way of doing the job.
  void PrintRatios(const std::vector<std::pair<std::string, std::string>>& pairs) const {
    std::printf("\nRatios (same run)%*s     wall      cpu\n", 70, "");
    for (const auto& [name, baseline] : pairs) {
      const auto a = times_.find(name);
      double wall = 0, cpu = 0;
      if (a == times_.end() || !Fastest(baseline, &wall, &cpu)) continue;
      std::printf("  %-40s / %-40s = %8.3f %8.3f\n", name.c_str(), baseline.c_str(), a->second.first / wall,
                  a->second.second / cpu);
    }
  }

 private:
  bool Fastest(const std::string& alternatives, double* wall, double* cpu) const {
    bool found = false;
    size_t from = 0;
    while (from <= alternatives.size()) {
      size_t bar = alternatives.find('|', from);
      if (bar == std::string::npos) bar = alternatives.size();
      const auto it = times_.find(alternatives.substr(from, bar - from));
      if (it != times_.end() && it->second.first > 0 && it->second.second > 0) {
        *wall = found ? std::min(*wall, it->second.first) : it->second.first;
        *cpu = found ? std::min(*cpu, it->second.second) : it->second.second;
        found = true;
      }
      from = bar + 1;
    }
    return found;
  }

  std::map<std::string, std::pair<double, double>> times_;  // wall, cpu
};

// Runs every registered benchmark inside a QApplication (offscreen unless a
// platform is set) and prints the ratios.
inline int RunWithRatios(int argc, char** argv, const std::vector<std::pair<std::string, std::string>>& pairs) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios(pairs);
  benchmark::Shutdown();
  return 0;
}

}  // namespace benchsupport
