#include "ratio_summary.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

namespace {

using Measure = RatioSummaryReporter::Measure;
using Comparison = RatioSummaryReporter::Comparison;

// CPU time is what the machine's shared cores spent; wall-clock is what a caller waits, and
// differs from it only where a second thread works.
const Comparison kComparisons[] = {
    {"Reused decoder and bitmap (process CPU time)",
     "ours",
     {{"libjpeg_matched", Measure::kCpu},
      {"libjpeg_defaults", Measure::kCpu},
      {"stb_image", Measure::kCpu},
      {"ours_reference", Measure::kCpu}}},
    {"A fresh decoder and bitmap per decode (process CPU time)",
     "ours_fresh",
     {{"libjpeg_matched_fresh", Measure::kCpu}, {"stb_image", Measure::kCpu}}},
    {"With the worker thread (SetThreads(2)), reused decoder and bitmap",
     "ours_threads",
     {{"libjpeg_matched", Measure::kWall}, {"libjpeg_matched", Measure::kCpu}}},
    {"With the worker thread (SetThreads(2)), fresh decoder and bitmap",
     "ours_fresh_threads",
     {{"libjpeg_matched_fresh", Measure::kWall}, {"libjpeg_matched_fresh", Measure::kCpu}}},
};

std::string Format(const char* format, double value) {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

double Of(const RatioSummaryReporter::Times& times, Measure measure) {
  return measure == Measure::kCpu ? times.cpu : times.wall;
}

const char* NameOf(Measure measure) {
  return measure == Measure::kCpu ? "CPU" : "wall";
}

}  // namespace

void RatioSummaryReporter::ReportRuns(const std::vector<Run>& runs) {
  for (const Run& run : runs) {
    const std::string& name = run.run_name.function_name;
    if (run.error_occurred) continue;
    if (name.rfind("peak_memory/", 0) == 0) {
      for (const auto& [counter, value] : run.counters) memory[name.substr(12)][counter] = value;
      continue;
    }
    const std::size_t slash = name.rfind('/');
    if (slash == std::string::npos) continue;
    const std::string group = name.substr(0, slash);
    const std::string decoder = name.substr(slash + 1);
    const double to_ms = 1e3 / benchmark::GetTimeUnitMultiplier(run.time_unit);
    const Times times{run.GetAdjustedCPUTime() * to_ms, run.GetAdjustedRealTime() * to_ms};
    if (std::find(group_order.begin(), group_order.end(), group) == group_order.end()) {
      group_order.push_back(group);
    }
    if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
      medians[group][decoder] = times;
    } else if (run.run_type == Run::RT_Iteration) {
      singles[group][decoder] = times;
    }
  }
  ConsoleReporter::ReportRuns(runs);
}

const std::map<std::string, RatioSummaryReporter::Times>* RatioSummaryReporter::TimesOf(
    const std::string& group) const {
  const auto median = medians.find(group);
  if (median != medians.end()) return &median->second;
  const auto single = singles.find(group);
  return single == singles.end() ? nullptr : &single->second;
}

void RatioSummaryReporter::PrintComparison(std::ostream& out, const Comparison& comparison) const {
  const auto has_ours = [&](const std::string& group) {
    const auto* times = TimesOf(group);
    return times != nullptr && times->count(comparison.ours) != 0;
  };
  if (std::none_of(group_order.begin(), group_order.end(), has_ours)) return;
  out << "\n"
      << comparison.title << "\n| picture | " << comparison.ours << " CPU ms | " << comparison.ours
      << " wall ms |";
  for (const Column& column : comparison.columns) {
    out << " / " << column.decoder << " " << NameOf(column.measure) << " |";
  }
  out << "\n|---|---:|---:|";
  for (std::size_t i = 0; i < comparison.columns.size(); ++i) out << "---:|";
  out << "\n";
  for (const std::string& group : group_order) {
    if (!has_ours(group)) continue;
    const std::map<std::string, Times>& times = *TimesOf(group);
    const Times& ours = times.at(comparison.ours);
    out << "| " << group << " | " << Format("%.2f", ours.cpu) << " | " << Format("%.2f", ours.wall)
        << " |";
    for (const Column& column : comparison.columns) {
      const auto other = times.find(column.decoder);
      out << " "
          << (other == times.end()
                  ? ""
                  : Format("%.2f", Of(ours, column.measure) / Of(other->second, column.measure)))
          << " |";
    }
    out << "\n";
  }
}

void RatioSummaryReporter::PrintMemory(std::ostream& out) const {
  if (memory.empty()) return;
  const auto counter = [](const std::map<std::string, double>& counters, const char* name) {
    const auto found = counters.find(name);
    return found == counters.end() ? 0.0 : found->second;
  };
  const bool threads = std::any_of(memory.begin(), memory.end(), [](const auto& file) {
    return file.second.count("ours_threads_MB") != 0;
  });
  out << "\n| picture | ours peak MB | libjpeg peak MB | ours / libjpeg |"
      << (threads ? " second thread / libjpeg |" : "") << "\n|---|---:|---:|---:|"
      << (threads ? "---:|" : "") << "\n";
  for (const auto& [file, counters] : memory) {
    const double libjpeg = counter(counters, "libjpeg_MB");
    const auto ratio = [&](const char* name) {
      return libjpeg > 0 ? Format("%.2f", counter(counters, name) / libjpeg) : std::string();
    };
    out << "| " << file << " | " << Format("%.1f", counter(counters, "ours_MB")) << " | "
        << Format("%.1f", libjpeg) << " | " << ratio("ours_MB") << " |";
    if (threads) out << " " << ratio("ours_threads_MB") << " |";
    out << "\n";
  }
}

void RatioSummaryReporter::Finalize() {
  std::ostream& out = GetOutputStream();
  for (const Comparison& comparison : kComparisons) PrintComparison(out, comparison);
  PrintMemory(out);
  out.flush();
  ConsoleReporter::Finalize();
}
