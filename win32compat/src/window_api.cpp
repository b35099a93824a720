// Window classes and the life of a window: creation with the messages Windows sends on the
// way (WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE), destruction (WM_DESTROY, WM_NCDESTROY, owned
// windows first), titles and owners.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>

#include "nonclient_frame.h"
#include "system.h"
#include "window_geometry.h"

using win32compat::CurrentSystem;
using win32compat::System;
using win32compat::Window;

namespace {

LONG ClampToLong(std::int64_t value) {
  return static_cast<LONG>(std::clamp<std::int64_t>(value, std::numeric_limits<LONG>::min(),
                                                    std::numeric_limits<LONG>::max()));
}

// Windows treats a negative size as 0; CW_USEDEFAULT places a window at the origin with a size
// of three quarters of the screen.
RECT InitialRect(const System& system, int x, int y, int width, int height) {
  const RECT screen = system.ScreenRect();
  if (x == CW_USEDEFAULT) x = y = 0;
  if (width == CW_USEDEFAULT) {
    width = screen.right * 3 / 4;
    height = screen.bottom * 3 / 4;
  }
  return RECT{x, y, ClampToLong(std::int64_t{x} + std::max(width, 0)),
              ClampToLong(std::int64_t{y} + std::max(height, 0))};
}

bool IsStringName(LPCSTR name) {
  return name != nullptr && !IS_INTRESOURCE(name);
}

}  // namespace

extern "C" {

ATOM WINAPI RegisterClassA(const WNDCLASSA* wndClass) {
  System& system = CurrentSystem();
  if (!wndClass || !IsStringName(wndClass->lpszClassName) || !wndClass->lpfnWndProc ||
      wndClass->cbWndExtra < 0 || wndClass->cbClsExtra < 0) {
    return system.Fail(ERROR_INVALID_PARAMETER, ATOM{0});
  }
  const win32compat::WindowClass* added = system.windows().RegisterClass(*wndClass);
  return added ? added->atom : system.Fail(ERROR_CLASS_ALREADY_EXISTS, ATOM{0});
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param) {
  System& system = CurrentSystem();
  win32compat::WindowClass* window_class =
      IsStringName(className) ? system.windows().FindClass(className) : nullptr;
  if (!window_class) return system.Fail(ERROR_CANNOT_FIND_WND_CLASS, HWND{});
  // Child windows are not part of this layer: every window is top-level, `parent` its owner.
  if (style & WS_CHILD) return system.Fail(ERROR_INVALID_PARAMETER, HWND{});
  if (parent && !system.windows().Find(parent)) {
    return system.Fail(ERROR_INVALID_WINDOW_HANDLE, HWND{});
  }

  auto window = std::make_unique<Window>();
  const HWND handle = window->handle = system.handles().Next<HWND>();
  window->window_class = window_class;
  window->procedure = window_class->procedure;
  window->style = win32compat::NormalizeStyle(style) & ~(WS_VISIBLE | WS_MAXIMIZE);
  window->ex_style = exStyle;
  window->owner = parent;
  window->instance = instance;
  window->rect = window->restored_rect = InitialRect(system, x, y, width, height);
  window->extra.assign(static_cast<std::size_t>(window_class->window_extra), 0);
  system.windows().Add(std::move(window));

  CREATESTRUCTA create{
      param,      instance,  menu,   parent, height, width, y, x, static_cast<LONG>(style),
      windowName, className, exStyle};
  const LPARAM create_param = reinterpret_cast<LPARAM>(&create);
  if (!system.Send(handle, WM_NCCREATE, 0, create_param) ||
      system.Send(handle, WM_CREATE, 0, create_param) == -1) {
    DestroyWindow(handle);
    return nullptr;
  }
  win32compat::SendSizeAndMove(system, handle);
  if (!system.windows().Find(handle)) return nullptr;
  system.Present();
  if (style & WS_VISIBLE) ShowWindow(handle, (style & WS_MAXIMIZE) ? SW_SHOWMAXIMIZED : SW_SHOW);
  return handle;
}

BOOL WINAPI DestroyWindow(HWND handle) {
  System& system = CurrentSystem();
  Window* window = system.windows().Find(handle);
  if (!window || window->destroying) return system.Fail(ERROR_INVALID_WINDOW_HANDLE, FALSE);
  window->destroying = true;
  for (HWND owned : system.windows().OwnedBy(handle)) DestroyWindow(owned);
  if (window->visible) {
    window->visible = false;
    system.Present();
  }
  // The window stays findable (and `destroying` refuses a second destruction) until it is
  // removed below, so the procedure may still use it while it handles these two.
  system.Send(handle, WM_DESTROY, 0, 0);
  system.Send(handle, WM_NCDESTROY, 0, 0);
  system.FocusLeaving(handle);
  system.queue().Purge(handle);
  system.windows().Remove(handle);
  system.Present();
  return TRUE;
}

BOOL WINAPI IsWindow(HWND window) {
  return CurrentSystem().windows().Find(window) != nullptr;
}

BOOL WINAPI IsWindowVisible(HWND handle) {
  const Window* window = CurrentSystem().windows().Find(handle);
  return window && window->visible;
}

HWND WINAPI GetWindow(HWND handle, UINT command) {
  System& system = CurrentSystem();
  const Window* window = system.windows().Find(handle);
  if (!window) return system.Fail(ERROR_INVALID_WINDOW_HANDLE, HWND{});
  return command == GW_OWNER ? window->owner : nullptr;
}

BOOL WINAPI SetWindowTextA(HWND handle, LPCSTR text) {
  System& system = CurrentSystem();
  if (!system.windows().Find(handle)) return system.Fail(ERROR_INVALID_WINDOW_HANDLE, FALSE);
  return system.Send(handle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : "")) != 0;
}

int WINAPI GetWindowTextA(HWND handle, LPSTR buffer, int size) {
  System& system = CurrentSystem();
  const Window* window = system.windows().Find(handle);
  if (!window) return system.Fail(ERROR_INVALID_WINDOW_HANDLE, 0);
  if (!buffer || size <= 0) return 0;
  const std::size_t copied = std::min(window->title.size(), static_cast<std::size_t>(size - 1));
  std::memcpy(buffer, window->title.data(), copied);
  buffer[copied] = '\0';
  return static_cast<int>(copied);
}

}  // extern "C"
