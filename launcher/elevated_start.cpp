#include "elevated_start.h"

#include <windows.h>

#include <shellapi.h>

#include <cstddef>
#include <string>

namespace {

constexpr char kBlanks[] = " \t";

std::size_t SkipBlanks(const std::string& text, std::size_t from) {
  const std::size_t at = text.find_first_not_of(kBlanks, from);
  return at == std::string::npos ? text.size() : at;
}

}  // namespace

ProgramAndParameters SplitProgramFromParameters(const std::string& command_line) {
  const std::size_t start = SkipBlanks(command_line, 0);
  if (start < command_line.size() && command_line[start] == '"') {
    const std::size_t close = command_line.find('"', start + 1);
    if (close == std::string::npos) return {command_line.substr(start + 1), ""};
    return {command_line.substr(start + 1, close - start - 1),
            command_line.substr(SkipBlanks(command_line, close + 1))};
  }
  std::size_t end = command_line.find_first_of(kBlanks, start);
  if (end == std::string::npos) end = command_line.size();
  return {command_line.substr(start, end - start),
          command_line.substr(SkipBlanks(command_line, end))};
}

HANDLE StartElevated(HWND owner, const ProgramAndParameters& command,
                     const std::string& directory) {
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  info.hwnd = owner;
  info.lpVerb = "open";
  info.lpFile = command.program.c_str();
  info.lpParameters = command.parameters.empty() ? nullptr : command.parameters.c_str();
  info.lpDirectory = directory.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExA(&info)) return nullptr;
  return info.hProcess;
}
