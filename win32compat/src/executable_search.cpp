#include "executable_search.h"

#include <unistd.h>

#include <cstdlib>
#include <string_view>
#include <system_error>

namespace win32compat {

namespace fs = std::filesystem;

namespace {

bool IsExecutableFile(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(path, error) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::optional<fs::path> FindExecutableAlongPath(const std::vector<std::string>& names) {
  const char* search = std::getenv("PATH");
  if (!search) return std::nullopt;
  const std::string_view directories(search);
  std::size_t start = 0;
  while (start <= directories.size()) {
    std::size_t end = directories.find(':', start);
    if (end == std::string_view::npos) end = directories.size();
    // An empty PATH entry would mean the current directory, which Windows rules search apart.
    if (end > start) {
      const fs::path directory(directories.substr(start, end - start));
      for (const std::string& name : names) {
        if (IsExecutableFile(directory / name)) return directory / name;
      }
    }
    start = end + 1;
  }
  return std::nullopt;
}

}  // namespace win32compat
