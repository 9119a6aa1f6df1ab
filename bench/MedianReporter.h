// The console table as usual, and beside it the median time of every benchmark (single runs when
// there are no repetitions) and its counters, from which a program prints its goals' summary
// lines once all have run.
#pragma once

#include <benchmark/benchmark.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace orb::bench {

class MedianReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      // With repetitions the median stands for the benchmark: on a shared machine single runs
      // are noisy. A run that stopped with an error stands for nothing.
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") continue;
      if (run.error_occurred) continue;
      const std::string name = run.run_name.function_name;
      milliseconds_[name] =
          run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e3;
      for (const auto& [counter_name, counter] : run.counters)
        counters_[counter_name] = counter.value;
    }
    ConsoleReporter::ReportRuns(runs);
  }

  // -1 for a benchmark or counter that did not report.
  double Milliseconds(const std::string& name) const { return Find(milliseconds_, name); }
  double Counter(const std::string& name) const { return Find(counters_, name); }
  // The time of a over the time of b; -1 when either is missing.
  double Ratio(const std::string& a, const std::string& b) const {
    const double x = Milliseconds(a), y = Milliseconds(b);
    return x < 0 || y <= 0 ? -1.0 : x / y;
  }
  const std::map<std::string, double>& Times() const { return milliseconds_; }

 private:
  static double Find(const std::map<std::string, double>& values, const std::string& name) {
    const auto found = values.find(name);
    return found == values.end() ? -1.0 : found->second;
  }

  std::map<std::string, double> milliseconds_;
  std::map<std::string, double> counters_;
};

// Runs the benchmarks asked for on the command line, then prints the goals.
inline void RunWithGoals(int argc, char** argv,
                         const std::function<void(const MedianReporter&)>& print_goals) {
  benchmark::Initialize(&argc, argv);
  MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  print_goals(reporter);
  benchmark::Shutdown();
}

}  // namespace orb::bench
