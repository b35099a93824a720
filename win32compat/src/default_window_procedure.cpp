// DefWindowProcA: what Windows does with a message the program leaves to it.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "nonclient_frame.h"
#include "system.h"

using win32compat::CurrentSystem;
using win32compat::System;
using win32compat::Window;

namespace {

constexpr int kArrowCursor = 32512;

POINT PointFromLParam(LPARAM lParam) {
  return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

LRESULT SetTitle(System& system, Window& window, LPCSTR text) {
  window.title = text ? text : "";
  system.Present();
  return TRUE;
}

LRESULT CopyTitle(const Window& window, WPARAM size, LPSTR buffer) {
  if (!buffer || size == 0) return 0;
  const std::size_t copied = std::min<std::size_t>(window.title.size(), size - 1);
  std::memcpy(buffer, window.title.data(), copied);
  buffer[copied] = '\0';
  return static_cast<LRESULT>(copied);
}

// Over the client area the class cursor, if the class has one (else the cursor is left alone);
// over the frame the arrow.
LRESULT ChooseCursor(System& system, const Window& window, int hit) {
  if (hit == HTERROR) return FALSE;
  if (hit != HTCLIENT) {
    system.ShowCursor(system.cursors().SystemCursor(kArrowCursor));
    return TRUE;
  }
  if (!window.window_class->cursor) return FALSE;
  system.ShowCursor(window.window_class->cursor);
  return TRUE;
}

LRESULT PaintNothing(HWND handle) {
  PAINTSTRUCT paint;
  BeginPaint(handle, &paint);
  EndPaint(handle, &paint);
  return 0;
}

// Fills the client area with the class background; the paint's device context keeps the fill
// inside the area being painted. 0 when the class has no background.
LRESULT EraseBackground(const Window& window, HDC dc) {
  if (!window.window_class->background) return 0;
  RECT area{};
  GetClientRect(window.handle, &area);
  return FillRect(dc, &area, window.window_class->background) ? 1 : 0;
}

}  // namespace

extern "C" {

LRESULT WINAPI DefWindowProcA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  System& system = CurrentSystem();
  Window* window = system.windows().Find(handle);
  if (!window) return 0;
  switch (message) {
    case WM_NCCREATE:
      return SetTitle(system, *window,
                      lParam ? reinterpret_cast<CREATESTRUCTA*>(lParam)->lpszName : nullptr);
    case WM_SETTEXT:
      return SetTitle(system, *window, reinterpret_cast<LPCSTR>(lParam));
    case WM_GETTEXT:
      return CopyTitle(*window, wParam, reinterpret_cast<LPSTR>(lParam));
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(window->title.size());
    case WM_NCHITTEST:
      return win32compat::HitTest(window->rect, window->style, PointFromLParam(lParam));
    case WM_SETCURSOR:
      return ChooseCursor(system, *window, static_cast<short>(LOWORD(lParam)));
    case WM_ERASEBKGND:
      return EraseBackground(*window, reinterpret_cast<HDC>(wParam));
    case WM_PAINT:
      return PaintNothing(handle);
    case WM_SYSKEYDOWN:
      // Alt+F4 asks the window to close, as its system menu's Close would.
      if (wParam == VK_F4 && (HIWORD(lParam) & KF_ALTDOWN)) {
        PostMessageA(handle, WM_SYSCOMMAND, SC_CLOSE, 0);
      }
      return 0;
    case WM_SYSCOMMAND:
      return (wParam & 0xFFF0) == SC_CLOSE ? SendMessageA(handle, WM_CLOSE, 0, 0) : 0;
    case WM_CLOSE:
      DestroyWindow(handle);
      return 0;
    default:
      return 0;
  }
}

}  // extern "C"
