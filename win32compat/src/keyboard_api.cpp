// The keyboard focus and the keys' state.
#include <windows.h>

#include "system.h"

using win32compat::CurrentSystem;
using win32compat::System;

extern "C" {

HWND WINAPI GetFocus(void) {
  return CurrentSystem().Focus();
}

HWND WINAPI SetFocus(HWND window) {
  System& system = CurrentSystem();
  if (window && !system.windows().Find(window)) {
    return system.Fail(ERROR_INVALID_WINDOW_HANDLE, HWND{});
  }
  return system.SetFocus(window);
}

// The high bit tells a key that is down; the toggle bit is not kept.
SHORT WINAPI GetKeyState(int virtualKey) {
  return CurrentSystem().KeyHeld(static_cast<UINT>(virtualKey)) ? static_cast<SHORT>(0x8000) : 0;
}

}  // extern "C"
