#include "process_table.h"

#include <sys/wait.h>

#include <algorithm>

namespace win32compat {
namespace {

// What Windows reports for a program ended by a signal has no counterpart; the shell's
// convention (128 + signal) keeps it distinct from the program's own exit codes.
DWORD ExitCodeOf(int status) {
  if (WIFEXITED(status)) return static_cast<DWORD>(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return static_cast<DWORD>(128 + WTERMSIG(status));
  return 0;
}

}  // namespace

ProcessTable& ProcessTable::Instance() {
  static ProcessTable table;
  return table;
}

ProcessTable::Handles ProcessTable::Add(pid_t pid) {
  ReapAbandoned();
  Handles handles;
  handles.process = reinterpret_cast<HANDLE>(next_handle_);
  handles.thread = reinterpret_cast<HANDLE>(next_handle_ + 4);
  next_handle_ += 8;
  handles_[handles.process] = pid;
  handles_[handles.thread] = pid;
  programs_[pid] = Program{false, 0, 2};
  return handles;
}

std::optional<pid_t> ProcessTable::Find(HANDLE handle) const {
  const auto found = handles_.find(handle);
  if (found == handles_.end()) return std::nullopt;
  return found->second;
}

std::optional<DWORD> ProcessTable::ExitCode(pid_t pid) {
  const auto found = programs_.find(pid);
  if (found == programs_.end()) return std::nullopt;
  Program& program = found->second;
  if (!program.ended) {
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) != pid) return std::nullopt;
    program.ended = true;
    program.exit_code = ExitCodeOf(status);
  }
  return program.exit_code;
}

bool ProcessTable::Close(HANDLE handle) {
  const auto found = handles_.find(handle);
  if (found == handles_.end()) return false;
  const pid_t pid = found->second;
  handles_.erase(found);
  Program& program = programs_[pid];
  if (--program.open_handles == 0) {
    if (!program.ended && !ExitCode(pid)) abandoned_.push_back(pid);
    programs_.erase(pid);
  }
  ReapAbandoned();
  return true;
}

void ProcessTable::ReapAbandoned() {
  std::erase_if(abandoned_, [](pid_t pid) {
    int status = 0;
    const pid_t result = ::waitpid(pid, &status, WNOHANG);
    return result == pid || result < 0;
  });
}

}  // namespace win32compat
