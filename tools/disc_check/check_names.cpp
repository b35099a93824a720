#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <system_error>

#include "disc_checks.h"
#include "windows_names.h"

namespace Lumarc::Tools {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> SortedEntries(const fs::path& folder, std::vector<Refusal>& refusals) {
  std::vector<fs::path> entries;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), last; !error && it != last; it.increment(error)) {
    if (!LeftOffTheDisc(it->path().filename())) entries.push_back(it->path());
  }
  if (error) refusals.push_back({folder, "the folder cannot be read: " + error.message()});
  std::sort(entries.begin(), entries.end());
  return entries;
}

// What the disc would hold in place of `entry`: links are followed, as the image writer does.
std::optional<std::string> KindProblem(const fs::path& entry) {
  std::error_code error;
  const fs::file_status status = fs::status(entry, error);
  if (!fs::exists(status)) return "a link to nothing";
  if (fs::is_regular_file(status) || fs::is_directory(status)) return std::nullopt;
  return "neither a file nor a folder, which a disc cannot hold";
}

void CheckFolder(const fs::path& disc, const fs::path& folder, std::vector<Refusal>& refusals) {
  std::map<std::string, fs::path> seen;  // by the name as Windows compares it
  for (const fs::path& entry : SortedEntries(folder, refusals)) {
    const std::string name = entry.filename().string();
    std::optional<std::string> problem = NameProblem(name);
    if (!problem) problem = KindProblem(entry);
    if (!problem) {
      const std::string on_disc = entry.lexically_relative(disc).string();
      const std::optional<std::size_t> length = Utf16Length(on_disc);
      if (length && *length > kDiscPathLimit) {
        problem = "its path on the disc has " + std::to_string(*length) +
                  " characters, more than the " + std::to_string(kDiscPathLimit) +
                  " Windows can open";
      }
    }
    const auto [earlier, first] = seen.emplace(FoldCase(name), entry);
    if (!problem && !first) {
      problem = "Windows, which ignores case in names, takes it for " +
                earlier->second.filename().string();
    }
    if (problem) {
      refusals.push_back({entry, *problem});
    } else if (fs::is_directory(entry)) {
      CheckFolder(disc, entry, refusals);
    }
  }
}

}  // namespace

bool LeftOffTheDisc(const std::filesystem::path& name) {
  return name.string().starts_with('.');
}

std::vector<Refusal> CheckNames(const std::filesystem::path& disc) {
  std::vector<Refusal> refusals;
  CheckFolder(disc, disc, refusals);
  return refusals;
}

}  // namespace Lumarc::Tools
