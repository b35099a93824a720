// The programs a process started and the handles that stand for them. A started program gets a
// process handle and a thread handle, both of which must be closed; a program whose handles are
// all closed while it still runs is left running and reaped once it ends, so it never lingers
// as a zombie. Programs belong to the host process, not to one desktop, hence one table.
#pragma once

#include <windows.h>

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace win32compat {

class ProcessTable {
 public:
  static ProcessTable& Instance();

  struct Handles {
    HANDLE process = nullptr;
    HANDLE thread = nullptr;
  };
  Handles Add(pid_t pid);
  // The program a process or thread handle stands for; empty for any other value.
  std::optional<pid_t> Find(HANDLE handle) const;
  // The program's exit code once it has ended; empty while it runs.
  std::optional<DWORD> ExitCode(pid_t pid);
  // False for a handle that is not open.
  bool Close(HANDLE handle);
  std::size_t OpenHandles() const { return handles_.size(); }

 private:
  struct Program {
    bool ended = false;
    DWORD exit_code = 0;
    int open_handles = 0;
  };
  void ReapAbandoned();

  std::map<HANDLE, pid_t> handles_;
  std::map<pid_t, Program> programs_;
  std::vector<pid_t> abandoned_;
  std::uintptr_t next_handle_ = 0x20000004;
};

}  // namespace win32compat
