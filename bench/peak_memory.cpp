#include "peak_memory.h"

#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>

namespace {

// A "Vm...:" line of /proc/self/status, in bytes; 0 when missing.
std::uint64_t StatusBytes(const std::string& field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(field + ":", 0) == 0) return std::stoull(line.substr(field.size() + 1)) * 1024;
  }
  return 0;
}

// Writing 5 to clear_refs resets the peak resident size to the current one.
void ResetPeak() {
  std::ofstream("/proc/self/clear_refs") << "5";
}

}  // namespace

std::uint64_t PeakMemoryOf(const std::function<void()>& work) {
  int fds[2];
  if (pipe(fds) != 0) return 0;
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    ResetPeak();
    const std::uint64_t before = StatusBytes("VmRSS");
    work();
    const std::uint64_t peak = StatusBytes("VmHWM");
    const std::uint64_t added = peak > before ? peak - before : 0;
    const ssize_t written = write(fds[1], &added, sizeof added);
    _exit(written == sizeof added ? 0 : 1);
  }
  close(fds[1]);
  std::uint64_t added = 0;
  if (child < 0 || read(fds[0], &added, sizeof added) != sizeof added) added = 0;
  close(fds[0]);
  if (child > 0) waitpid(child, nullptr, 0);
  return added;
}
