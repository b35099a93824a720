// The startup code's part on hosts whose runtime does not call WinMain: it joins the arguments
// back into the command line that Windows would hand the program (without its name), quoting
// them so that Windows' runtime rules would split it into the same arguments. The box shows on
// the person's display when there is one.
#include <windows.h>

#include <string>
#include <string_view>

#include "win32compat/display.h"
#include "win32compat/sdl_backend.h"

namespace {

void AppendQuoted(std::string& line, std::string_view argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string_view::npos) {
    line += argument;
    return;
  }
  line += '"';
  std::size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes count literally unless a quote follows them: then each is doubled.
    line.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    line += c;
  }
  line.append(2 * backslashes, '\\');  // before the closing quote
  line += '"';
}

}  // namespace

int main(int argc, char** argv) {
  std::string command_line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) command_line += ' ';
    AppendQuoted(command_line, argv[i]);
  }
  win32compat::SetDisplayOpener(win32compat::OpenSdlDisplay);
  return WinMain(GetModuleHandleA(nullptr), nullptr, command_line.data(), SW_SHOWNORMAL);
}
