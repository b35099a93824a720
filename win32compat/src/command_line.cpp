#include "command_line.h"

#include <cstddef>

namespace win32compat {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// The program name ends at the closing quote when it starts with one (a quote never escapes
// here), else at the first blank.
std::string TakeProgram(std::string_view& rest) {
  std::string program;
  if (!rest.empty() && rest.front() == '"') {
    const std::size_t close = rest.find('"', 1);
    program = rest.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
    rest.remove_prefix(close == std::string_view::npos ? rest.size() : close + 1);
    return program;
  }
  std::size_t end = 0;
  while (end < rest.size() && !IsBlank(rest[end])) ++end;
  program = rest.substr(0, end);
  rest.remove_prefix(end);
  return program;
}

// 2n backslashes before a quote give n backslashes and the quote opens or closes a quoted part;
// 2n+1 give n backslashes and a literal quote; backslashes elsewhere are literal.
std::vector<std::string> TakeArguments(std::string_view rest) {
  std::vector<std::string> arguments;
  std::size_t at = 0;
  while (true) {
    while (at < rest.size() && IsBlank(rest[at])) ++at;
    if (at >= rest.size()) return arguments;
    std::string argument;
    bool quoted = false;
    while (at < rest.size() && (quoted || !IsBlank(rest[at]))) {
      std::size_t backslashes = 0;
      while (at < rest.size() && rest[at] == '\\') {
        ++backslashes;
        ++at;
      }
      if (at < rest.size() && rest[at] == '"') {
        argument.append(backslashes / 2, '\\');
        if (backslashes % 2 == 1) {
          argument += '"';
        } else {
          quoted = !quoted;
        }
        ++at;
      } else {
        argument.append(backslashes, '\\');
        if (backslashes == 0 && at < rest.size()) argument += rest[at++];
      }
    }
    arguments.push_back(std::move(argument));
  }
}

}  // namespace

CommandLine SplitCommandLine(std::string_view command_line) {
  while (!command_line.empty() && IsBlank(command_line.front())) command_line.remove_prefix(1);
  CommandLine result;
  result.program = TakeProgram(command_line);
  result.arguments = TakeArguments(command_line);
  return result;
}

std::vector<std::string> SplitArguments(std::string_view arguments) {
  return TakeArguments(arguments);
}

}  // namespace win32compat
