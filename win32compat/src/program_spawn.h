// Starting a host program as Windows starts one: the arguments it is to see (its name first),
// the directory it starts in, and its environment (null: the process's own). Shared by
// CreateProcessA and the shell's start of a program.
#pragma once

#include <windows.h>

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace win32compat {

// ERROR_SUCCESS with `pid` set, or the Windows error for why the program did not start.
DWORD SpawnProgram(const std::filesystem::path& program, std::vector<std::string> arguments,
                   const std::filesystem::path& directory,
                   const std::vector<std::string>* environment, pid_t& pid);

}  // namespace win32compat
