// One run of the whole menu, from its entry, on a headless desktop of a chosen size, with a
// start directory and a system drive folder of its own. Steps given to Then run as the user's
// actions while the menu waits for input; the run ends when the menu quits or the steps run out.
#pragma once

#include <windows.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "win32compat/test_desktop.h"

class MenuRun {
 public:
  // With `backup_marker`, the system drive holds the marker of a backup in place.
  explicit MenuRun(SIZE screen, bool backup_marker = false);
  ~MenuRun();
  MenuRun(const MenuRun&) = delete;
  MenuRun& operator=(const MenuRun&) = delete;

  void Then(std::function<void()> step) { desktop_.Then(std::move(step)); }
  // Runs the program from WinMain and returns what it returned.
  int Start();

  // For use inside steps: the user points at or clicks a point of the page, in client pixels of
  // the main window (picture pixels).
  void PointAt(int x, int y);
  void ClickAt(int x, int y);

  // What the user sees. The main window is the one with an owner; the frame window has none.
  std::optional<win32compat::WindowView> MainWindow() const;
  std::optional<win32compat::WindowView> FrameWindow() const;
  std::string Title() const;
  std::string CursorShown() const;
  // The class cursor, which the frame window shows too.
  std::string ClassCursor() const;

  win32compat::TestDesktop& desktop() { return desktop_; }
  const std::filesystem::path& StartDirectory() const { return disc_; }

 private:
  std::filesystem::path root_;
  std::filesystem::path disc_;
  std::filesystem::path drive_;
  win32compat::TestDesktop desktop_;
};
