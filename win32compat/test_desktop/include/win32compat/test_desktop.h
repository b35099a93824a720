// The test controller: a desktop of a chosen size with no display, which a test drives as a user
// would while the program under test runs its own message loop, and then reads back everything
// the user would have seen. While it exists, every Win32 call of the process acts on it.
//
//   DesktopOptions options;
//   options.current_directory = disc;
//   TestDesktop desktop(options);  // 1024 x 768 unless options.screen says otherwise
//   desktop.Then([&] { desktop.Click(desktop.OnClient(MainWindow(), 430, 530)); });
//   desktop.Then([&] { title = desktop.Window(MainWindow())->title; });
//   WinMain(desktop.ProgramInstance(), nullptr, empty, SW_SHOWNORMAL);
//
// Each step of the script runs when the program waits for a message and none is queued. When
// the script is used up and the program waits again, its GetMessageA returns WM_QUIT, so a run
// always ends; InputExhausted() then tells that ending from the program quitting by itself.
#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "win32compat/headless_backend.h"

namespace win32compat {

class System;

struct DesktopOptions {
  SIZE screen{1024, 768};
  // The program's current (start) directory; empty for the process's own.
  std::filesystem::path current_directory;
  // The folder that stands for drive C:; empty for the default of a program run (README.md).
  std::filesystem::path system_drive;
  // A program still running after this many messages is ended (see MessageLimitReached).
  std::uint64_t message_limit = 100000;
};

class TestDesktop {
 public:
  using Step = std::function<void()>;

  explicit TestDesktop(DesktopOptions options = {});
  ~TestDesktop();
  TestDesktop(const TestDesktop&) = delete;
  TestDesktop& operator=(const TestDesktop&) = delete;

  // The script.
  void Then(Step step);
  // A step run while the program blocks on a process it started (one step a wait), instead of
  // while it waits for a message. Input given here is queued as usual.
  void WhileWaiting(Step step);
  // The answer of the next message box that has no answer yet; others take their default button.
  void AnswerMessageBox(int answer) { backend_.QueueMessageBoxAnswer(answer); }
  // The next message box that has no answer yet cannot be shown, as on a display without fonts:
  // MessageBoxA fails (returns 0).
  void FailMessageBox() { backend_.QueueMessageBoxAnswer(0); }
  // The program at this host path asks for administrator rights, as a Windows program whose
  // manifest requires them: CreateProcessA fails with ERROR_ELEVATION_REQUIRED, and the shell
  // (ShellExecuteExA) starts it once the user consents.
  void RequireElevation(const std::filesystem::path& host_program);
  // The user declines the next consent prompt that has no answer yet; others are consented to.
  void DeclineElevation() { backend_.QueueElevationAnswer(false); }

  // The user's hand, for use inside steps. Coordinates are screen pixels.
  void MoveMouse(POINT screen);
  // Moves there first if the mouse is elsewhere (the press then comes as the next step, after
  // the program has seen the move), then presses and releases the left button.
  void Click(POINT screen);
  // The keyboard, for use inside steps: the keys (VK_ codes) go down in order and come up in
  // reverse, as fingers press a chord: PressKeys({VK_MENU, VK_F4}) is Alt+F4.
  void PressKeys(std::initializer_list<UINT> keys);
  // The window manager's close of a window: its close button, or a desktop's "close window".
  void CloseWindow(HWND window);
  // The screen point of a point in a window's client area.
  POINT OnClient(HWND window, int x, int y) const;

  // What the user sees.
  const std::vector<WindowView>& Windows() const { return backend_.Desktop().windows; }
  std::optional<WindowView> Window(HWND window) const;
  HCURSOR Cursor() const { return backend_.Cursor(); }
  // "IDC_ARROW", "IDC_WAIT", "resource 102", "none".
  std::string CursorName(HCURSOR cursor) const;
  POINT MousePosition() const;
  // The window that has the keyboard.
  HWND Focus() const;
  const std::vector<MessageBoxRecord>& MessageBoxes() const { return backend_.MessageBoxes(); }
  const std::vector<PaintView>& Paints() const { return backend_.Paints(); }
  const std::vector<FillRecord>& Fills() const { return backend_.Fills(); }
  // What the program asked the shell to open; nothing is really opened.
  const std::vector<ShellRequest>& ShellRequests() const { return backend_.ShellRequests(); }
  // The programs the shell asked the user's consent to elevate.
  const std::vector<ShellRequest>& ElevationRequests() const {
    return backend_.ElevationRequests();
  }
  // Process and thread handles the program has not closed (of the whole process).
  static std::size_t OpenProcessHandles();
  // The colour at a point of a window's client area, black until painted.
  std::optional<COLORREF> ClientPixel(HWND window, int x, int y) const {
    return backend_.ClientPixel(window, POINT{x, y});
  }

  // How the run ended.
  bool InputExhausted() const { return backend_.InputExhausted(); }
  bool MessageLimitReached() const;

  // The instance handle the startup code gives the program (GetModuleHandleA(NULL)).
  HINSTANCE ProgramInstance() const;

 private:
  bool RunNextStep();

  HeadlessBackend backend_;
  std::unique_ptr<System> system_;
  System* replaced_ = nullptr;
  std::deque<Step> script_;
  std::deque<Step> waiting_script_;
};

}  // namespace win32compat
