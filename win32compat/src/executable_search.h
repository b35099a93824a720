#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace win32compat {

// The first executable file named by one of names in a directory of the host's PATH, directory
// by directory in PATH order, the names in the order given within each.
std::optional<std::filesystem::path> FindExecutableAlongPath(const std::vector<std::string>& names);

}  // namespace win32compat
