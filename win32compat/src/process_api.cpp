// The process: its module, current directory and last error, and the runtime library's view of
// file names.
#include <windows.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "system.h"

using win32compat::CurrentSystem;
using win32compat::System;

extern "C" {

DWORD WINAPI GetLastError(void) {
  return CurrentSystem().LastError();
}

void WINAPI SetLastError(DWORD error) {
  CurrentSystem().SetLastError(error);
}

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
  if (!moduleName) return System::ProgramInstance();
  return CurrentSystem().Fail(ERROR_MOD_NOT_FOUND, HMODULE{});
}

// The current directory is reported as the host path it is.
DWORD WINAPI GetCurrentDirectoryA(DWORD bufferLength, LPSTR buffer) {
  const std::string directory = CurrentSystem().paths().CurrentDirectory().string();
  const auto length = static_cast<DWORD>(directory.size());
  if (!buffer || bufferLength <= length) return length + 1;  // the size needed, with its NUL
  std::memcpy(buffer, directory.c_str(), directory.size() + 1);
  return length;
}

char* _fullpath(char* buffer, const char* path, std::size_t bufferSize) {
  System& system = CurrentSystem();
  const auto host = path && *path ? system.paths().HostPath(path)
                                  : std::optional(system.paths().CurrentDirectory());
  if (!host) {
    errno = ENOENT;
    return nullptr;
  }
  const std::string full = host->string();
  if (!buffer) {
    buffer = static_cast<char*>(std::malloc(full.size() + 1));
    if (!buffer) {
      errno = ENOMEM;
      return nullptr;
    }
  } else if (bufferSize <= full.size()) {
    errno = ERANGE;
    return nullptr;
  }
  std::memcpy(buffer, full.c_str(), full.size() + 1);
  return buffer;
}

}  // extern "C"
