// The menu hands programs and documents to the system. While a started program runs, the menu
// waits for it a little (at most some six seconds): it keeps repainting, and mouse and keyboard
// input given meanwhile is thrown away so that impatient clicks do not start the program again.
// A program that needs administrator rights is started through the shell and waited for alike.
#include "launch_actions.h"

#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

#include "elevated_start.h"
#include "launcher_app.h"

namespace {

constexpr DWORD kWaitSliceMilliseconds = 100;
constexpr int kMaxWaits = 60;

void ShowWaitCursor(LauncherApp& app) {
  app.UseCursor(app.WaitCursor());
}

// Throws away the main window's messages from `first` to `last`. A quit request found on the
// way (it ignores the filter) is put back and ends the wait, so that the menu's own loop still
// sees it.
bool DiscardMessages(HWND main_window, UINT first, UINT last) {
  MSG msg;
  while (PeekMessageA(&msg, main_window, first, last, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
  }
  return true;
}

// Enter and Space click as the mouse does: impatient presses are dropped with the clicks.
bool DiscardUserInput(HWND main_window) {
  return DiscardMessages(main_window, WM_MOUSEMOVE, WM_MBUTTONDBLCLK) &&
         DiscardMessages(main_window, WM_KEYFIRST, WM_KEYLAST);
}

bool RepaintMainWindow(HWND main_window) {
  MSG msg;
  while (PeekMessageA(&msg, main_window, WM_PAINT, WM_PAINT, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return true;
}

void WaitForProgram(HWND main_window, HANDLE process) {
  for (int waits = 0; waits < kMaxWaits;) {
    if (!DiscardUserInput(main_window) || !RepaintMainWindow(main_window)) return;
    const DWORD result = WaitForSingleObject(process, kWaitSliceMilliseconds);
    ++waits;
    if (result != WAIT_TIMEOUT) return;
  }
}

// A program refused for want of administrator rights goes to the shell, which asks the user to
// elevate it; any other failure leaves the program unstarted.
HANDLE StartThroughShellIfElevationRequired(LauncherApp& app, const std::string& command,
                                            bool command_is_line) {
  if (GetLastError() != ERROR_ELEVATION_REQUIRED) return nullptr;
  const ProgramAndParameters program =
      command_is_line ? SplitProgramFromParameters(command) : ProgramAndParameters{command, ""};
  return StartElevated(app.MainWindow(), program, app.StartDirectory());
}

// The started program's process handle, or null when it did not start.
HANDLE StartProgram(LauncherApp& app, const char* application_name, const std::string& command,
                    bool command_is_line) {
  std::vector<char> command_line(command.begin(), command.end());
  command_line.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(application_name, command_is_line ? command_line.data() : nullptr, nullptr,
                      nullptr, TRUE, HIGH_PRIORITY_CLASS, nullptr, nullptr, &startup, &process)) {
    return StartThroughShellIfElevationRequired(app, command, command_is_line);
  }
  CloseHandle(process.hThread);
  return process.hProcess;
}

// Starts the program and waits for it; its handle is closed whether or not it has ended.
void StartAndWait(LauncherApp& app, const char* application_name, const std::string& command,
                  bool command_is_line) {
  ShowWaitCursor(app);
  const HANDLE process = StartProgram(app, application_name, command, command_is_line);
  if (!process) return;
  WaitForProgram(app.MainWindow(), process);
  CloseHandle(process);
}

}  // namespace

void OpenDocument(LauncherApp& app, const std::string& command) {
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  info.lpVerb = "open";
  info.lpFile = command.c_str();
  info.nShow = SW_SHOWNORMAL;
  ShowWaitCursor(app);
  ShellExecuteExA(&info);
  if (info.hProcess) CloseHandle(info.hProcess);
}

void RunCommandLine(LauncherApp& app, const std::string& command) {
  StartAndWait(app, nullptr, command, true);
}

void RunProgramThenNext(LauncherApp& app, const std::string& command) {
  StartAndWait(app, command.c_str(), command, false);
  app.NextPage();
}

void ExploreStartDirectory(LauncherApp& app) {
  ShowWaitCursor(app);
  const char* directory = app.StartDirectory().c_str();
  ShellExecuteA(nullptr, "explore", directory, nullptr, directory, SW_SHOWNORMAL);
}
