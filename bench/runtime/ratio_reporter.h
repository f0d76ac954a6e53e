// The console report of a benchmark program that also keeps each benchmark's time per
// iteration, for the ratios against the peers printed at the end.
#pragma once
#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace bench_support {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  enum class Clock { kReal, kCpu };
  explicit RatioReporter(Clock clock = Clock::kReal) : clock_(clock) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      // Of repeated runs (--benchmark_repetitions) the fastest, the one a busy machine
      // disturbed least.
      const double time = clock_ == Clock::kCpu ? run.GetAdjustedCPUTime() : run.GetAdjustedRealTime();
      auto [it, added] = times_.emplace(run.run_name.function_name, time);
      if (!added && time < it->second) it->second = time;
    }
    ConsoleReporter::ReportRuns(runs);
  }

  // ours' time over theirs'; negative when either did not run.
  double TimeRatio(const char* ours, const char* theirs) const {
    const auto a = times_.find(ours), b = times_.find(theirs);
    if (a == times_.end() || b == times_.end() || a->second <= 0 || b->second <= 0) return -1;
    return a->second / b->second;
  }

 private:
  Clock clock_;
  std::map<std::string, double> times_;
};

}  // namespace bench_support
