#pragma once

#include <span>
#include <string>
#include <string_view>

namespace Lumarc::Tools {

// What one invocation of jpeg2bmp asks for.
struct CommandLine {
  enum class Action { kConvert, kHelp, kUsageError };

  Action action = Action::kUsageError;
  bool verbose = false;
  bool strict = false;
  unsigned threads = 1;
  std::string input;
  std::string output;
  std::string error;  // why the usage is wrong, for kUsageError
};

inline constexpr std::string_view kUsage =
    "usage: jpeg2bmp [--verbose] [--strict] [--threads N] INPUT OUTPUT.bmp";

// The name of INPUT or OUTPUT.bmp that stands for standard input or standard output.
inline constexpr std::string_view kStandardStream = "-";

// Parses the arguments that follow the program name (see ScanArguments for the shape).
CommandLine ParseCommandLine(std::span<const std::string_view> args);

// The text that --help prints.
std::string HelpText();

}  // namespace Lumarc::Tools
