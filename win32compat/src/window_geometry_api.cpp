// Where windows are and how big: ShowWindow, the window and client rectangles, the desktop and
// the system metrics of this layer's fixed frame.
#include <windows.h>

#include "nonclient_frame.h"
#include "system.h"
#include "update_region.h"
#include "win32compat/program_resources.h"
#include "window_geometry.h"

using win32compat::CurrentSystem;
using win32compat::System;
using win32compat::Window;

namespace {

bool Activates(int command) {
  return command != SW_SHOWNA && command != SW_SHOWNOACTIVATE && command != SW_SHOWMINNOACTIVE;
}

}  // namespace

extern "C" {

// Minimising is not part of this layer: the minimise commands show the window as it is.
BOOL WINAPI ShowWindow(HWND handle, int command) {
  System& system = CurrentSystem();
  const Window* window = system.windows().Find(handle);
  if (!window) return system.Fail(ERROR_INVALID_WINDOW_HANDLE, FALSE);
  const BOOL was_visible = window->visible;
  if (command == SW_HIDE) {
    win32compat::MakeHidden(system, handle);
    return was_visible;
  }
  if (command == SW_SHOWMAXIMIZED) {
    win32compat::Maximize(system, handle);
  } else if (command == SW_SHOWNORMAL || command == SW_RESTORE) {
    win32compat::Restore(system, handle);
  }
  win32compat::MakeVisible(system, handle, Activates(command));
  return was_visible;
}

HWND WINAPI GetDesktopWindow(void) {
  return CurrentSystem().DesktopWindow();
}

BOOL WINAPI GetWindowRect(HWND handle, LPRECT rect) {
  System& system = CurrentSystem();
  if (!rect) return system.Fail(ERROR_INVALID_PARAMETER, FALSE);
  if (handle == system.DesktopWindow()) {
    *rect = system.ScreenRect();
    return TRUE;
  }
  const Window* window = system.windows().Find(handle);
  if (!window) return system.Fail(ERROR_INVALID_WINDOW_HANDLE, FALSE);
  *rect = window->rect;
  return TRUE;
}

BOOL WINAPI GetClientRect(HWND handle, LPRECT rect) {
  System& system = CurrentSystem();
  if (!rect) return system.Fail(ERROR_INVALID_PARAMETER, FALSE);
  if (handle == system.DesktopWindow()) {
    *rect = system.ScreenRect();
    return TRUE;
  }
  const Window* window = system.windows().Find(handle);
  if (!window) return system.Fail(ERROR_INVALID_WINDOW_HANDLE, FALSE);
  *rect = win32compat::ClientArea(*window);
  return TRUE;
}

BOOL WINAPI ClientToScreen(HWND handle, LPPOINT point) {
  System& system = CurrentSystem();
  const Window* window = system.windows().Find(handle);
  if (!window || !point) return system.Fail(ERROR_INVALID_WINDOW_HANDLE, FALSE);
  const RECT client = win32compat::ClientRectOnScreen(window->rect, window->style);
  point->x += client.left;
  point->y += client.top;
  return TRUE;
}

BOOL WINAPI ScreenToClient(HWND handle, LPPOINT point) {
  System& system = CurrentSystem();
  const Window* window = system.windows().Find(handle);
  if (!window || !point) return system.Fail(ERROR_INVALID_WINDOW_HANDLE, FALSE);
  const RECT client = win32compat::ClientRectOnScreen(window->rect, window->style);
  point->x -= client.left;
  point->y -= client.top;
  return TRUE;
}

int WINAPI GetSystemMetrics(int index) {
  const RECT screen = CurrentSystem().ScreenRect();
  switch (index) {
    case SM_CXSCREEN:
    case SM_CXFULLSCREEN:  // no task bar: the work area is the screen
      return screen.right;
    case SM_CYSCREEN:
      return screen.bottom;
    case SM_CYFULLSCREEN:  // the client height of a maximised captioned window
      return screen.bottom - win32compat::kCaptionHeight;
    case SM_CYCAPTION:
      return win32compat::kCaptionHeight;
    case SM_CXBORDER:
    case SM_CYBORDER:
      return win32compat::kThinBorderWidth;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
      return win32compat::kFixedFrameWidth;
    case SM_CXFRAME:
    case SM_CYFRAME:
      return win32compat::kSizingFrameWidth;
    case SM_CXCURSOR:
    case SM_CYCURSOR:
      return win32compat::kCursorSize;
    default:
      return 0;
  }
}

}  // extern "C"
