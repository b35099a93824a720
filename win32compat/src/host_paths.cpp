#include "host_paths.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <system_error>

namespace win32compat {
namespace fs = std::filesystem;
namespace {

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

// The entry of `folder` named `name`: the exact name if it exists, else the only kind of match
// a Windows program expects, one that differs in case; else `name` itself (a file to create).
fs::path MatchEntry(const fs::path& folder, const fs::path& name) {
  std::error_code error;
  if (fs::exists(folder / name, error)) return folder / name;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    if (SameNameIgnoringCase(entry.path().filename().string(), name.string())) {
      return entry.path();
    }
  }
  return folder / name;
}

// Joins a relative Windows path to a host folder one name at a time. ".." never climbs above
// the base, as it cannot climb above a drive's root on Windows.
fs::path Resolve(const fs::path& base, const std::string& relative) {
  fs::path result = base;
  for (const fs::path& name : fs::path(relative).lexically_normal()) {
    if (name.empty() || name == "." || name.has_root_directory()) continue;
    if (name == "..") {
      if (result != base) result = result.parent_path();
      continue;
    }
    result = MatchEntry(result, name);
  }
  return result;
}

bool HasDriveLetter(const std::string& path) {
  return path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]));
}

}  // namespace

HostPaths::HostPaths(fs::path current_directory, fs::path system_drive)
    : current_directory_(std::move(current_directory)), system_drive_(std::move(system_drive)) {}

std::optional<fs::path> HostPaths::HostPath(std::string_view windows_path) const {
  std::string path(windows_path);
  if (path.empty()) return std::nullopt;
  std::replace(path.begin(), path.end(), '\\', '/');
  if (HasDriveLetter(path)) {
    if (std::tolower(static_cast<unsigned char>(path[0])) != 'c') return std::nullopt;
    return Resolve(system_drive_, path.substr(2));
  }
  // A rooted name is already a host path: the current directory this layer reports is one.
  if (path.front() == '/') return fs::path(path).lexically_normal();
  return Resolve(current_directory_, path);
}

fs::path DefaultSystemDrive(const std::function<const char*(const char*)>& environment) {
  const auto variable = [&](const char* name) -> const char* {
    const char* value = environment(name);
    return value && *value ? value : nullptr;
  };
  if (const char* chosen = variable("LUMARC_SYSTEM_DRIVE")) return chosen;
  fs::path state;
  if (const char* xdg = variable("XDG_STATE_HOME")) {
    state = xdg;
  } else if (const char* home = variable("HOME")) {
    state = fs::path(home) / ".local" / "state";
  } else {
    std::error_code error;
    state = fs::temp_directory_path(error);
  }
  return state / "lumarc" / "system-drive";
}

}  // namespace win32compat
