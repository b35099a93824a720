#include "action_log.h"

#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string CurrentDirectory() {
  std::string directory(GetCurrentDirectoryA(0, nullptr), '\0');
  directory.resize(GetCurrentDirectoryA(static_cast<DWORD>(directory.size()), directory.data()));
  return directory;
}

}  // namespace

bool RecordStart(const char* disc_name, const char* arguments) {
  const char* log_path = std::getenv("LUMARC_ACTION_LOG");
  if (log_path == nullptr || *log_path == '\0') return true;

  std::string line = disc_name;
  if (arguments != nullptr && *arguments != '\0') line.append(" ").append(arguments);
  line.append("\t").append(CurrentDirectory()).append("\n");

  // Binary, so that the line ends the same on every system; one write, so that two programs
  // appending at once do not mix their lines.
  std::FILE* log = std::fopen(log_path, "ab");
  bool written = log != nullptr && std::fwrite(line.data(), 1, line.size(), log) == line.size();
  const int error = errno;
  if (log != nullptr && std::fclose(log) != 0) written = false;
  if (!written) {
    std::fprintf(stderr, "%s: cannot append to the action log %s: %s\n", disc_name, log_path,
                 std::strerror(error));
  }
  return written;
}
