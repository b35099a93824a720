// The message queue as a program sees it: GetMessageA waits (through the backend) and
// PeekMessageA does not; both take the same window and range filters.
#include <windows.h>

#include <optional>

#include "keyboard_layout.h"
#include "system.h"

using win32compat::CurrentSystem;
using win32compat::MessageFilter;
using win32compat::System;

namespace {

// A filter must name an existing window, unless it is null (all) or -1 (thread messages).
bool FilterWindowValid(System& system, HWND window) {
  return window == nullptr || window == reinterpret_cast<HWND>(static_cast<INT_PTR>(-1)) ||
         system.windows().Find(window) != nullptr;
}

}  // namespace

extern "C" {

BOOL WINAPI GetMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax) {
  System& system = CurrentSystem();
  if (!msg) return system.Fail(ERROR_INVALID_PARAMETER, -1);
  if (!FilterWindowValid(system, window)) return system.Fail(ERROR_INVALID_WINDOW_HANDLE, -1);
  return system.GetNext(*msg, MessageFilter{window, filterMin, filterMax}) ? TRUE : FALSE;
}

BOOL WINAPI PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT remove) {
  System& system = CurrentSystem();
  if (!msg) return system.Fail(ERROR_INVALID_PARAMETER, FALSE);
  if (!FilterWindowValid(system, window)) return system.Fail(ERROR_INVALID_WINDOW_HANDLE, FALSE);
  const MessageFilter filter{window, filterMin, filterMax};
  return system.PeekNext(*msg, filter, (remove & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  System& system = CurrentSystem();
  if (window && !system.windows().Find(window)) {
    return system.Fail(ERROR_INVALID_WINDOW_HANDLE, FALSE);
  }
  system.Post(window, message, wParam, lParam);
  return TRUE;
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return CurrentSystem().Send(window, message, wParam, lParam);
}

// A key that makes a character gets WM_CHAR (WM_SYSCHAR with Alt) next. Nonzero for every key
// message, whether or not it made one.
BOOL WINAPI TranslateMessage(const MSG* msg) {
  if (!msg) return FALSE;
  const UINT message = msg->message;
  if (message != WM_KEYDOWN && message != WM_SYSKEYDOWN) {
    return message == WM_KEYUP || message == WM_SYSKEYUP;
  }
  System& system = CurrentSystem();
  const std::optional<char> character = win32compat::CharacterOf(
      static_cast<UINT>(msg->wParam), system.KeyHeld(VK_SHIFT), system.KeyHeld(VK_CONTROL));
  if (character) {
    MSG made = *msg;
    made.message = message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
    made.wParam = static_cast<unsigned char>(*character);
    system.queue().PostFirst(made);
  }
  return TRUE;
}

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
  System& system = CurrentSystem();
  if (!msg) return system.Fail(ERROR_INVALID_PARAMETER, LRESULT{0});
  if (!msg->hwnd) return 0;  // thread messages have no window procedure
  return system.Send(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

void WINAPI PostQuitMessage(int exitCode) {
  CurrentSystem().queue().PostQuit(exitCode);
}

}  // extern "C"
