#include "ratio_summary.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

namespace {

const char* const kOurs = "ours";
// The columns of the ratio table, in order.
const char* const kOthers[] = {"libjpeg_matched", "libjpeg_defaults", "stb_image",
                               "ours_reference"};

std::string Format(const char* format, double value) {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
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
    const double ms =
        run.GetAdjustedCPUTime() * 1e3 / benchmark::GetTimeUnitMultiplier(run.time_unit);
    if (std::find(group_order.begin(), group_order.end(), group) == group_order.end()) {
      group_order.push_back(group);
    }
    if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
      medians[group][decoder] = ms;
    } else if (run.run_type == Run::RT_Iteration) {
      singles[group][decoder] = ms;
    }
  }
  ConsoleReporter::ReportRuns(runs);
}

void RatioSummaryReporter::PrintTimes(std::ostream& out) const {
  out << "\n| picture | ours ms |";
  for (const char* other : kOthers) out << " ours / " << other << " |";
  out << "\n|---|---:|";
  for (std::size_t i = 0; i < std::size(kOthers); ++i) out << "---:|";
  out << "\n";
  for (const std::string& group : group_order) {
    const auto found = medians.count(group) != 0 ? medians.find(group) : singles.find(group);
    const std::map<std::string, double>& times = found->second;
    const auto ours = times.find(kOurs);
    if (ours == times.end()) continue;
    out << "| " << group << " | " << Format("%.2f", ours->second) << " |";
    for (const char* other : kOthers) {
      const auto time = times.find(other);
      out << " " << (time == times.end() ? "" : Format("%.2f", ours->second / time->second))
          << " |";
    }
    out << "\n";
  }
}

void RatioSummaryReporter::PrintMemory(std::ostream& out) const {
  if (memory.empty()) return;
  out << "\n| picture | ours peak MB | libjpeg peak MB | ours / libjpeg |\n|---|---:|---:|---:|\n";
  for (const auto& [file, counters] : memory) {
    const double ours = counters.count("ours_MB") ? counters.at("ours_MB") : 0;
    const double libjpeg = counters.count("libjpeg_MB") ? counters.at("libjpeg_MB") : 0;
    out << "| " << file << " | " << Format("%.1f", ours) << " | " << Format("%.1f", libjpeg)
        << " | " << (libjpeg > 0 ? Format("%.2f", ours / libjpeg) : "") << " |\n";
  }
}

void RatioSummaryReporter::Finalize() {
  std::ostream& out = GetOutputStream();
  PrintTimes(out);
  PrintMemory(out);
  out.flush();
  ConsoleReporter::Finalize();
}
