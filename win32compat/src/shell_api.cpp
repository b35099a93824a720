// Opening documents and folders through the shell (shell32). The layer resolves the file the
// way Windows does (relative to the given directory, else the current one) and hands it to the
// backend, which opens it with the desktop's opener. Only "open" and "explore" are known verbs;
// any other has no association, as on a Windows machine without a handler for it.
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

#include "executable_search.h"
#include "system.h"

extern char** environ;

using win32compat::CurrentSystem;
using win32compat::HostPaths;
using win32compat::ShellRequest;
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

std::optional<fs::path> ResolveFile(const System& system, const char* file, const char* directory) {
  if (!directory || !*directory) return system.paths().HostPath(file);
  const std::optional<fs::path> base = system.paths().HostPath(directory);
  if (!base) return std::nullopt;
  return HostPaths(*base, system.paths().SystemDrive()).HostPath(file);
}

struct Outcome {
  INT_PTR code;  // ShellExecuteA's value: above 32 on success, else an SE_ERR_ code
  DWORD error;
};

Outcome Execute(const char* verb, const char* file, const char* directory) {
  System& system = CurrentSystem();
  const std::string_view chosen = verb && *verb ? verb : "open";
  const bool explore = SameText(chosen, "explore");
  if (!explore && !SameText(chosen, "open")) return {SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION};
  if (!file || !*file) return {SE_ERR_FNF, ERROR_FILE_NOT_FOUND};
  const std::optional<fs::path> host = ResolveFile(system, file, directory);
  std::error_code error;
  if (!host || !fs::exists(*host, error)) return {SE_ERR_FNF, ERROR_FILE_NOT_FOUND};
  if (explore && !fs::is_directory(*host, error)) return {SE_ERR_PNF, ERROR_PATH_NOT_FOUND};

  const ShellRequest request{std::string(chosen), file, directory ? directory : "", *host};
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
  // The desktop's opener hands the document on and ends, so there is no process to return.
  info->hProcess = nullptr;
  const Outcome outcome = Execute(info->lpVerb, info->lpFile, info->lpDirectory);
  info->hInstApp = reinterpret_cast<HINSTANCE>(outcome.code);
  if (outcome.code <= 32) return system.Fail(outcome.error, FALSE);
  return TRUE;
}

HINSTANCE WINAPI ShellExecuteA(HWND, LPCSTR operation, LPCSTR file, LPCSTR, LPCSTR directory, INT) {
  const Outcome outcome = Execute(operation, file, directory);
  if (outcome.code <= 32) CurrentSystem().SetLastError(outcome.error);
  return reinterpret_cast<HINSTANCE>(outcome.code);
}

}  // extern "C"
