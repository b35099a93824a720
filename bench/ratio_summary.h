#pragma once

#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

// The console report, followed by a table of our decode time as a ratio to each other decoder
// measured in the same run. Benchmarks are named GROUP/DECODER ("decode/FILE/ours"); with
// --benchmark_repetitions the medians are compared, otherwise the single runs. Counters of the
// peak_memory/FILE benchmarks are tabled too.
class RatioSummaryReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override;
  void Finalize() override;

 private:
  void PrintTimes(std::ostream& out) const;
  void PrintMemory(std::ostream& out) const;

  // group -> decoder -> milliseconds per decode
  std::map<std::string, std::map<std::string, double>> medians;
  std::map<std::string, std::map<std::string, double>> singles;
  std::vector<std::string> group_order;
  // file -> counter name -> value
  std::map<std::string, std::map<std::string, double>> memory;
};
