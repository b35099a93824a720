#pragma once

#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

// The console report, followed by tables of our decode time as a ratio to the other decoders
// measured in the same run: with a reused decoder and bitmap, with fresh ones per decode, and
// with a second thread where that is measured. Benchmarks are named GROUP/DECODER
// ("decode/FILE/ours"); with --benchmark_repetitions the medians are compared, otherwise the
// single runs. Times are the process's CPU time (every thread's) and the wall-clock time.
// Counters of the peak_memory/FILE benchmarks are tabled too.
class RatioSummaryReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override;
  void Finalize() override;

  // Milliseconds per decode.
  struct Times {
    double cpu = 0;
    double wall = 0;
  };
  enum class Measure { kCpu, kWall };
  struct Column {
    const char* decoder;
    Measure measure;
  };
  // One table: `ours` divided by each column's decoder.
  struct Comparison {
    const char* title;
    const char* ours;
    std::vector<Column> columns;
  };

 private:
  const std::map<std::string, Times>* TimesOf(const std::string& group) const;
  void PrintComparison(std::ostream& out, const Comparison& comparison) const;
  void PrintMemory(std::ostream& out) const;

  // group -> decoder -> times
  std::map<std::string, std::map<std::string, Times>> medians;
  std::map<std::string, std::map<std::string, Times>> singles;
  std::vector<std::string> group_order;
  // file -> counter name -> value
  std::map<std::string, std::map<std::string, double>> memory;
};
