// MessageBoxA. A box that cannot be shown (no display, no font) makes up no answer: as Windows'
// MessageBoxA does on failure, it returns 0 with the last error set, and since the program's
// message would otherwise reach nobody, its caption and text go to standard error.
#include <windows.h>

#include <cstdio>

#include "system.h"

using win32compat::CurrentSystem;
using win32compat::System;

extern "C" {

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  System& system = CurrentSystem();
  win32compat::MessageBoxRequest request;
  request.owner = owner;
  request.text = text ? text : "";
  request.caption = caption ? caption : "Error";  // Windows' title for a box without one
  request.style = type;
  const int answer = system.backend().ShowMessageBox(request);
  if (answer != 0) return answer;
  std::fprintf(stderr, "%s: %s\n", request.caption.c_str(), request.text.c_str());
  return system.Fail(ERROR_NO_SYSTEM_RESOURCES, 0);
}

}  // extern "C"
