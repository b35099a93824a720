#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Lumarc::Tools {

enum ExitStatus { kSucceeded = 0, kFailed = 1, kWrongUsage = 2 };

// How a tool takes an argument that starts with '-'.
enum class OptionUse { kTaken, kOperand, kUnknown };

// What the arguments of one invocation hold, before the tool gives them meaning.
struct ScannedArguments {
  bool help = false;
  std::vector<std::string_view> operands;
  std::string error;  // why the usage is wrong, or empty
};

// Reads the arguments that follow the program name the way every tool here does: --help (or -h)
// anywhere before "--" wins over everything else; "--" ends the options, so that a file whose
// name starts with '-' can still be named; "-" alone is an operand. Every other argument that
// starts with '-' goes to `take_option` with the number of operands already found; one it does
// not know ends the scan with "unknown option ...".
ScannedArguments ScanArguments(
    std::span<const std::string_view> args,
    const std::function<OptionUse(std::string_view option, std::size_t operands_before)>&
        take_option);

// Tells why the usage is wrong, then the usage, on standard error; returns kWrongUsage.
int ReportWrongUsage(std::string_view tool, std::string_view error, std::string_view usage);

}  // namespace Lumarc::Tools
