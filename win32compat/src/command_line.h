// A Windows command line taken apart as Windows takes it apart: the program name by
// CreateProcess's rule (up to the closing quote, or up to white space), the arguments by the
// runtime library's rules for quotes and backslashes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace win32compat {

struct CommandLine {
  std::string program;
  std::vector<std::string> arguments;
};

CommandLine SplitCommandLine(std::string_view command_line);
// The arguments alone (a shell's parameters), by the runtime library's rules.
std::vector<std::string> SplitArguments(std::string_view arguments);

}  // namespace win32compat
