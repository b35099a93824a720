#include "elevation_rules.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace win32compat {

void ElevationRules::Require(std::filesystem::path host_program) {
  programs_.push_back(std::move(host_program));
}

bool ElevationRules::Required(const std::filesystem::path& host_program) const {
  return std::ranges::any_of(programs_, [&](const std::filesystem::path& program) {
    std::error_code error;
    return std::filesystem::equivalent(program, host_program, error);
  });
}

}  // namespace win32compat
