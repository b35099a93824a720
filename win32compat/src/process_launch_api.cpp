// Starting programs and waiting for them (kernel32), with host processes. A program's name is
// found by the Windows rules that matter for a disc: an application name is a path relative to
// the current directory and is not searched for; the first word of a command line is looked for
// in the current directory and then along PATH. A name without an extension is also tried with
// ".exe", as Windows appends it. The priority class is not applied: raising a process's
// priority needs privileges a host user does not have. A program declared to need
// administrator rights (elevation_rules.h) is refused, as Windows refuses it to a user who has
// not been given them; the shell can start it (shell_api.cpp).
#include <windows.h>

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "command_line.h"
#include "executable_search.h"
#include "process_table.h"
#include "program_spawn.h"
#include "system.h"

using win32compat::CurrentSystem;
using win32compat::ProcessTable;
using win32compat::System;
namespace fs = std::filesystem;

namespace {

bool HasDirectory(std::string_view name) {
  return name.find_first_of("\\/:") != std::string_view::npos;
}

bool HasExtension(std::string_view name) {
  const std::size_t last_separator = name.find_last_of("\\/:");
  const std::size_t dot = name.rfind('.');
  return dot != std::string_view::npos &&
         (last_separator == std::string_view::npos || dot > last_separator);
}

std::vector<std::string> NameCandidates(const std::string& name) {
  if (HasExtension(name)) return {name};
  return {name, name + ".exe"};
}

bool IsFile(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(path, error);
}

std::optional<fs::path> FindRelativeTo(const win32compat::HostPaths& paths,
                                       const std::string& name) {
  for (const std::string& candidate : NameCandidates(name)) {
    const std::optional<fs::path> host = paths.HostPath(candidate);
    if (host && IsFile(*host)) return host;
  }
  return std::nullopt;
}

std::optional<fs::path> FindAlongPath(const std::string& name) {
  return win32compat::FindExecutableAlongPath(NameCandidates(name));
}

std::optional<fs::path> FindCommand(const win32compat::HostPaths& paths, const std::string& name) {
  if (name.empty()) return std::nullopt;
  if (const std::optional<fs::path> found = FindRelativeTo(paths, name)) return found;
  if (HasDirectory(name)) return std::nullopt;
  return FindAlongPath(name);
}

// A Windows environment block: "NAME=value" strings one after another, ended by an empty one.
std::vector<std::string> EnvironmentStrings(const char* block) {
  std::vector<std::string> strings;
  while (*block) {
    strings.emplace_back(block);
    block += strings.back().size() + 1;
  }
  return strings;
}

}  // namespace

extern "C" {

BOOL WINAPI CreateProcessA(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES,
                           LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID environment,
                           LPCSTR currentDirectory, LPSTARTUPINFOA startupInfo,
                           LPPROCESS_INFORMATION processInformation) {
  System& system = CurrentSystem();
  if ((!applicationName && !commandLine) || !startupInfo || !processInformation) {
    return system.Fail(ERROR_INVALID_PARAMETER, FALSE);
  }
  const win32compat::CommandLine parts =
      win32compat::SplitCommandLine(commandLine ? commandLine : "");
  std::optional<fs::path> program;
  std::vector<std::string> arguments;
  if (applicationName) {
    program = FindRelativeTo(system.paths(), applicationName);
    arguments.emplace_back(commandLine ? parts.program : std::string(applicationName));
  } else {
    program = FindCommand(system.paths(), parts.program);
    arguments.push_back(parts.program);
  }
  if (!program) return system.Fail(ERROR_FILE_NOT_FOUND, FALSE);
  arguments.insert(arguments.end(), parts.arguments.begin(), parts.arguments.end());

  fs::path directory = system.paths().CurrentDirectory();
  if (currentDirectory) {
    const std::optional<fs::path> host = system.paths().HostPath(currentDirectory);
    std::error_code error;
    if (!host || !fs::is_directory(*host, error)) {
      return system.Fail(ERROR_PATH_NOT_FOUND, FALSE);
    }
    directory = *host;
  }
  std::optional<std::vector<std::string>> variables;
  if (environment) variables = EnvironmentStrings(static_cast<const char*>(environment));

  // Where Windows would refuse the program to a user without administrator rights.
  if (system.elevation().Required(*program)) return system.Fail(ERROR_ELEVATION_REQUIRED, FALSE);

  pid_t pid = 0;
  if (const DWORD error = win32compat::SpawnProgram(*program, std::move(arguments), directory,
                                                    variables ? &*variables : nullptr, pid);
      error != ERROR_SUCCESS) {
    return system.Fail(error, FALSE);
  }
  const ProcessTable::Handles handles = ProcessTable::Instance().Add(pid);
  processInformation->hProcess = handles.process;
  processInformation->hThread = handles.thread;
  processInformation->dwProcessId = static_cast<DWORD>(pid);
  processInformation->dwThreadId = static_cast<DWORD>(pid);
  return TRUE;
}

// Polls the program, a few milliseconds at a time, until it ends or the time is up. The backend
// may deliver input meanwhile, as the user goes on using the mouse while a program waits.
DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  System& system = CurrentSystem();
  ProcessTable& table = ProcessTable::Instance();
  const std::optional<pid_t> pid = table.Find(handle);
  if (!pid) return system.Fail(ERROR_INVALID_HANDLE, DWORD{WAIT_FAILED});
  system.backend().WhileBlocked(system.input());

  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
  constexpr auto kPollInterval = std::chrono::milliseconds(5);
  while (true) {
    if (table.ExitCode(*pid)) return WAIT_OBJECT_0;
    const auto now = Clock::now();
    if (milliseconds != INFINITE && now >= deadline) return WAIT_TIMEOUT;
    std::this_thread::sleep_for(milliseconds == INFINITE
                                    ? kPollInterval
                                    : std::min<Clock::duration>(kPollInterval, deadline - now));
  }
}

BOOL WINAPI GetExitCodeProcess(HANDLE process, DWORD* exitCode) {
  System& system = CurrentSystem();
  ProcessTable& table = ProcessTable::Instance();
  const std::optional<pid_t> pid = table.Find(process);
  if (!pid || !exitCode) return system.Fail(ERROR_INVALID_HANDLE, FALSE);
  *exitCode = table.ExitCode(*pid).value_or(DWORD{STILL_ACTIVE});
  return TRUE;
}

BOOL WINAPI CloseHandle(HANDLE handle) {
  if (!ProcessTable::Instance().Close(handle)) {
    return CurrentSystem().Fail(ERROR_INVALID_HANDLE, FALSE);
  }
  return TRUE;
}

}  // extern "C"
