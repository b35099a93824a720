// The application: the black full-screen frame window, the centred main window that shows the
// current page, the three cursors the pages switch between, and the pages in order.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "focus_order.h"

class MenuPage;

// The program's hand cursor resource.
inline constexpr int kHandCursorResource = 102;

class LauncherApp {
 public:
  static constexpr std::int32_t kMaxPages = 64;

  LauncherApp();
  virtual ~LauncherApp();
  LauncherApp(const LauncherApp&) = delete;
  LauncherApp& operator=(const LauncherApp&) = delete;

  void SetPictureWidth(std::int32_t width) { picture_width_ = width; }
  void SetPictureHeight(std::int32_t height) { picture_height_ = height; }
  void SetStartDirectory(std::string_view directory) { start_directory_ = directory; }
  const std::string& StartDirectory() const { return start_directory_; }

  // Pages are not owned. AddPage gives the page its owner; a page beyond kMaxPages is not added.
  void AddPage(MenuPage* page);
  // Does nothing for an index at or beyond the page count.
  void ReplacePage(std::int32_t index, MenuPage* page);
  std::int32_t PageCount() const { return page_count_; }
  std::int32_t CurrentPageIndex() const { return current_page_; }

  // Creates the windows and runs the message loop. 0 when no window could be made, else the
  // exit code of the quit message.
  int Run(HINSTANCE instance, HINSTANCE previous_instance);
  bool RegisterWindowClass(HINSTANCE instance);
  HWND CreateWindows(HINSTANCE instance, int show_command);
  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  // The current page's share of the main window's messages.
  void PaintCurrentPage();
  void MouseMove(LPARAM lParam);
  void LeftButtonDown(LPARAM lParam);
  // The keyboard (keyboard_navigation.cpp): Tab, Right and Down move the focus to the next hot
  // region, Shift+Tab, Left and Up to the previous one; Enter and Space click the focused one.
  // True for these keys, false for any other.
  bool KeyDown(WPARAM key, LPARAM flags);

  // Navigation for the hot regions. A page index outside the pages is ignored.
  void NextPage();
  void GoToPage(std::int32_t index);
  void Quit();
  // The system drive's start-up files (startup_file_backup.cpp).
  void BackUpStartupFiles();
  void RestoreStartupFiles();

  HCURSOR HandCursor() const { return hand_cursor_; }
  HCURSOR ArrowCursor() const { return arrow_cursor_; }
  HCURSOR WaitCursor() const { return wait_cursor_; }
  HWND MainWindow() const { return main_window_; }
  HWND FrameWindow() const { return frame_window_; }
  // Shows `cursor` now and makes it the class cursor, so that default processing of
  // WM_SETCURSOR keeps showing it (over the frame window too, which shares the class).
  void UseCursor(HCURSOR cursor);

 private:
  MenuPage* CurrentPage() const;
  // The title bar shows the current page's caption; the picture is repainted without erasing.
  void ShowCurrentPage();
  void RunMessageLoop(MSG& msg);
  RECT ClientArea() const;

  enum class FocusStep { kForward, kBack };
  // The current page's regions as the keyboard goes through them.
  FocusOrder CurrentFocusOrder() const;
  void MoveFocus(FocusStep step);
  void ActivateFocusedRegion();
  void SetFocusedRegion(std::int32_t region);
  // The focus drops with every change of the page's regions; nothing is repainted for it.
  void DropFocus() { focused_region_ = FocusOrder::kNone; }
  // Where the focus is drawn; empty while none shows.
  RECT FocusRect() const;
  void InvalidateFocus();
  void DrawFocus(HDC dc) const;
  // After a backup or restore: the current page filled afresh as the help page, whose state
  // follows the backup marker. The title bar keeps its caption until the page changes.
  void RebuildCurrentPageAsHelpPage();

  HCURSOR hand_cursor_ = nullptr;
  HCURSOR arrow_cursor_ = nullptr;
  HCURSOR wait_cursor_ = nullptr;
  HWND main_window_ = nullptr;
  HWND frame_window_ = nullptr;
  std::string start_directory_;
  std::int32_t page_count_ = 0;
  std::array<MenuPage*, kMaxPages> pages_{};
  std::int32_t current_page_ = 0;
  std::int32_t picture_width_ = 0;
  std::int32_t picture_height_ = 0;
  HINSTANCE instance_ = nullptr;
  // The current page's region that has the keyboard focus. None until a key moves it, as
  // Windows hides keyboard cues until the keyboard is used, and none again after a page change
  // the mouse made, so that the page shows exactly its picture.
  std::int32_t focused_region_ = FocusOrder::kNone;
};
