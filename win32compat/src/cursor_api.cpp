// Cursors and icons. System cursors are shared handles; the program's own cursor resources are
// the ones it registered at start-up (this host has no resource section to read them from).
#include <windows.h>

#include "system.h"
#include "win32compat/program_resources.h"

using win32compat::CurrentSystem;
using win32compat::System;

extern "C" {

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
  System& system = CurrentSystem();
  // The program has no cursors with string names.
  if (!IS_INTRESOURCE(name)) return system.Fail(ERROR_RESOURCE_NAME_NOT_FOUND, HCURSOR{});
  const int id = LOWORD(name);
  if (!instance) {
    const HCURSOR cursor = system.cursors().SystemCursor(id);
    return cursor ? cursor : system.Fail(ERROR_RESOURCE_NAME_NOT_FOUND, HCURSOR{});
  }
  if (instance != System::ProgramInstance()) return system.Fail(ERROR_MOD_NOT_FOUND, HCURSOR{});
  const win32compat::CursorResource* resource =
      win32compat::RegisteredProgramResources().FindCursor(id);
  if (!resource) return system.Fail(ERROR_RESOURCE_NAME_NOT_FOUND, HCURSOR{});
  return system.cursors().ProgramCursor(*resource);
}

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name) {
  System& system = CurrentSystem();
  const HICON icon =
      !instance && IS_INTRESOURCE(name) ? system.cursors().SystemIcon(LOWORD(name)) : nullptr;
  return icon ? icon : system.Fail(ERROR_RESOURCE_NAME_NOT_FOUND, HICON{});
}

HCURSOR WINAPI SetCursor(HCURSOR cursor) {
  System& system = CurrentSystem();
  if (cursor && !system.cursors().Find(cursor)) {
    return system.Fail(ERROR_INVALID_CURSOR_HANDLE, HCURSOR{});
  }
  const HCURSOR previous = system.cursors().Current();
  system.ShowCursor(cursor);
  return previous;
}

HCURSOR WINAPI GetCursor(void) {
  return CurrentSystem().cursors().Current();
}

BOOL WINAPI GetCursorPos(LPPOINT point) {
  if (!point) return FALSE;
  *point = CurrentSystem().cursors().Position();
  return TRUE;
}

}  // extern "C"
