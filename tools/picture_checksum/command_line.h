#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Lumarc::Tools {

// What one invocation of picture-checksum asks for.
struct ChecksumCommand {
  enum class Action { kPrint, kSet, kHelp, kUsageError };

  Action action = Action::kUsageError;
  std::int32_t value = 0;          // for kSet
  std::vector<std::string> files;  // one for kSet, one or more for kPrint
  std::string error;               // why the usage is wrong, for kUsageError
};

inline constexpr std::string_view kChecksumUsage =
    "usage: picture-checksum FILE...\n"
    "       picture-checksum --set VALUE FILE";

// Parses the arguments that follow the program name (see ScanArguments for the shape).
ChecksumCommand ParseChecksumCommand(std::span<const std::string_view> args);

// The text that --help prints.
std::string ChecksumHelpText();

}  // namespace Lumarc::Tools
