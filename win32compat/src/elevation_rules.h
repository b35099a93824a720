// The programs that ask for administrator rights. On Windows a program's manifest asks for them
// (requireAdministrator), or Windows' installer detection does for an unmanifested setup
// program; CreateProcessA then refuses it and only the shell starts it, after the user's
// consent. A host has no such rights to ask for, so on a desktop of its own no program needs
// them: a test desktop declares the ones that do.
#pragma once

#include <filesystem>
#include <vector>

namespace win32compat {

class ElevationRules {
 public:
  void Require(std::filesystem::path host_program);
  // Whether the host file is one of the programs declared, by whatever path it is reached.
  bool Required(const std::filesystem::path& host_program) const;

 private:
  std::vector<std::filesystem::path> programs_;
};

}  // namespace win32compat
