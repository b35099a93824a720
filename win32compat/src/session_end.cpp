// The end of the session a program's windows were shown in. Windows tells each top-level window
// with WM_ENDSESSION and ends the process once they have answered; the program's message loop
// never runs again.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "system.h"
#include "win32compat/backend.h"

namespace win32compat {
namespace {

void SendEndSession(System& system) {
  // A copy: a window may destroy others while it takes the message.
  const std::vector<HWND> windows = system.windows().ZOrder();
  for (HWND window : windows) {
    if (!system.windows().Find(window)) continue;
    system.Send(window, WM_ENDSESSION, TRUE,
                static_cast<LPARAM>(ENDSESSION_LOGOFF | ENDSESSION_CRITICAL));
  }
}

}  // namespace

void EndSession() {
  // A window that waits for a message or shows a box while it takes WM_ENDSESSION comes back
  // here: the session is already ending.
  static bool ending = false;
  if (!std::exchange(ending, true)) {
    if (System* system = ExistingSystem()) SendEndSession(*system);
  }
  std::fflush(nullptr);
  std::_Exit(0);
}

}  // namespace win32compat
