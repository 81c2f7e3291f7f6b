#pragma once
// A benchmark main that also reports each benchmark's time as a ratio to a
// baseline measured in the same run, so figures compare across machines.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace benchsupport {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (!r.error_occurred) times_[r.benchmark_name()] = r.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  // Prints "name / baseline = ratio" for each pair.
  void PrintRatios(const std::vector<std::pair<std::string, std::string>>& pairs) const {
    std::printf("\nRatios (same run):\n");
    for (const auto& [name, baseline] : pairs) {
      const auto a = times_.find(name), b = times_.find(baseline);
      if (a == times_.end() || b == times_.end() || b->second <= 0) continue;
      std::printf("  %-40s / %-40s = %8.3f\n", name.c_str(), baseline.c_str(), a->second / b->second);
    }
  }

 private:
  std::map<std::string, double> times_;
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
