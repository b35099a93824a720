// Opening documents and folders through the shell (shell32). The layer resolves the file the
// way Windows does (relative to the given directory, else the current one) and hands it to the
// backend, which opens it with the desktop's opener. Only "open" and "explore" are known verbs;
// any other has no association, as on a Windows machine without a handler for it. A program
// (".exe", ".com") is opened by running it, which the layer does itself: it is the shell, not
// CreateProcessA, that starts a program needing administrator rights, once the user consents.
#include <windows.h>

#include <shellapi.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "command_line.h"
#include "executable_search.h"
#include "process_table.h"
#include "program_spawn.h"
#include "system.h"

extern char** environ;

using win32compat::CurrentSystem;
using win32compat::HostPaths;
using win32compat::ProcessTable;
using win32compat::ShellRequest;
using win32compat::SpawnProgram;
using win32compat::SplitArguments;
using win32compat::System;
namespace fs = std::filesystem;

namespace {

// ShellExecuteA reports success with any value above 32.
constexpr INT_PTR kShellSuccess = 42;

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// The call's directory, else the current one.
std::optional<fs::path> BaseDirectory(const System& system, const char* directory) {
  if (!directory || !*directory) return system.paths().CurrentDirectory();
  return system.paths().HostPath(directory);
}

// What the program asked the shell for.
struct ShellCall {
  const char* verb;
  const char* file;
  const char* parameters;
  const char* directory;
  bool keep_process;  // SEE_MASK_NOCLOSEPROCESS
};

struct Outcome {
  INT_PTR code;  // ShellExecuteA's value: above 32 on success, else an SE_ERR_ code
  DWORD error;
  HANDLE process = nullptr;  // a started program's, when the call keeps it
};

// Windows opens a program by running it (its "exefile" and "comfile" associations).
bool IsProgram(const fs::path& host_file) {
  const std::string extension = host_file.extension().string();
  return SameText(extension, ".exe") || SameText(extension, ".com");
}

INT_PTR ShellCodeOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
      return SE_ERR_FNF;
    case ERROR_PATH_NOT_FOUND:
      return SE_ERR_PNF;
    case ERROR_BAD_EXE_FORMAT:
      return ERROR_BAD_FORMAT;
    default:
      return SE_ERR_ACCESSDENIED;
  }
}

// The program starts in the call's directory with the parameters as its arguments and its full
// path as its name, as the shell's "exefile" command gives them. One that needs administrator
// rights waits for the user's consent first.
Outcome StartProgram(System& system, const ShellRequest& request, const fs::path& directory,
                     const ShellCall& call) {
  if (system.elevation().Required(request.host_file) &&
      !system.backend().ConsentToElevation(request)) {
    return {SE_ERR_ACCESSDENIED, ERROR_CANCELLED};
  }
  std::vector<std::string> arguments{request.host_file.string()};
  for (std::string& argument : SplitArguments(call.parameters ? call.parameters : "")) {
    arguments.push_back(std::move(argument));
  }
  pid_t pid = 0;
  if (const DWORD error =
          SpawnProgram(request.host_file, std::move(arguments), directory, nullptr, pid);
      error != ERROR_SUCCESS) {
    return {ShellCodeOf(error), error};
  }
  ProcessTable& table = ProcessTable::Instance();
  const ProcessTable::Handles handles = table.Add(pid);
  table.Close(handles.thread);
  if (call.keep_process) return {kShellSuccess, ERROR_SUCCESS, handles.process};
  table.Close(handles.process);
  return {kShellSuccess, ERROR_SUCCESS};
}

Outcome Execute(const ShellCall& call) {
  System& system = CurrentSystem();
  const std::string_view chosen = call.verb && *call.verb ? call.verb : "open";
  const bool explore = SameText(chosen, "explore");
  if (!explore && !SameText(chosen, "open")) return {SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION};
  if (!call.file || !*call.file) return {SE_ERR_FNF, ERROR_FILE_NOT_FOUND};
  const std::optional<fs::path> base = BaseDirectory(system, call.directory);
  if (!base) return {SE_ERR_FNF, ERROR_FILE_NOT_FOUND};
  const std::optional<fs::path> host =
      HostPaths(*base, system.paths().SystemDrive()).HostPath(call.file);
  std::error_code error;
  if (!host || !fs::exists(*host, error)) return {SE_ERR_FNF, ERROR_FILE_NOT_FOUND};
  if (explore && !fs::is_directory(*host, error)) return {SE_ERR_PNF, ERROR_PATH_NOT_FOUND};

  const ShellRequest request{std::string(chosen), call.file, call.directory ? call.directory : "",
                             *host};
  if (!explore && IsProgram(*host) && fs::is_regular_file(*host, error)) {
    return StartProgram(system, request, *base, call);
  }
  if (!system.backend().OpenWithShell(request)) return {SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION};
  return {kShellSuccess, ERROR_SUCCESS};
}

std::optional<fs::path> FindOpener() {
  return win32compat::FindExecutableAlongPath({"xdg-open"});
}

}  // namespace

namespace win32compat {

// The opener is started from a shell that leaves it in the background and ends at once, so the
// opener outlives nothing of ours and no child is left to reap.
bool Backend::OpenWithShell(const ShellRequest& request) {
  const std::optional<fs::path> opener = FindOpener();
  if (!opener) return false;
  std::string shell = "/bin/sh";
  std::string option = "-c";
  std::string script = "\"$0\" \"$1\" >/dev/null 2>&1 &";
  std::string program = opener->string();
  std::string file = request.host_file.string();
  char* argv[] = {shell.data(), option.data(), script.data(), program.data(), file.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, shell.c_str(), nullptr, nullptr, argv, environ) != 0) return false;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace win32compat

extern "C" {

BOOL WINAPI ShellExecuteExA(SHELLEXECUTEINFOA* info) {
  System& system = CurrentSystem();
  if (!info || info->cbSize != sizeof(SHELLEXECUTEINFOA)) {
    return system.Fail(ERROR_INVALID_PARAMETER, FALSE);
  }
  // The desktop's opener hands a document on and ends: only a program started here has a
  // process to return.
  const Outcome outcome =
      Execute({info->lpVerb, info->lpFile, info->lpParameters, info->lpDirectory,
               (info->fMask & SEE_MASK_NOCLOSEPROCESS) != 0});
  info->hProcess = outcome.process;
  info->hInstApp = reinterpret_cast<HINSTANCE>(outcome.code);
  if (outcome.code <= 32) return system.Fail(outcome.error, FALSE);
  return TRUE;
}

HINSTANCE WINAPI ShellExecuteA(HWND, LPCSTR operation, LPCSTR file, LPCSTR parameters,
                               LPCSTR directory, INT) {
  const Outcome outcome = Execute({operation, file, parameters, directory, false});
  if (outcome.code <= 32) CurrentSystem().SetLastError(outcome.error);
  return reinterpret_cast<HINSTANCE>(outcome.code);
}

}  // extern "C"
