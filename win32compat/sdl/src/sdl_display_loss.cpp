#include "sdl_display_loss.h"

#include <SDL.h>
#include <X11/Xlib.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "win32compat/backend.h"

namespace win32compat {
namespace {

// How long a wait for an event lasts before it looks whether another thread found the display
// gone: short enough to end promptly, long enough to cost nothing while the program is idle.
constexpr Uint32 kLossCheckMilliseconds = 100;

std::atomic<bool> display_lost{false};
std::thread::id program_thread;

// Xlib ends the process when its handler returns, so this one never does. Xlib calls it from
// inside the call that found the connection broken, on whichever thread made it; the session can
// only end on the program's own thread, so another thread waits here for the process to end.
int OnBrokenConnection(Display* display) {
  const bool first = !display_lost.exchange(true);
  if (std::this_thread::get_id() != program_thread) {
    for (;;) pause();
  }
  if (first) {
    std::fprintf(stderr, "The display %s is gone: the program ends with its session\n",
                 DisplayString(display));
  }
  EndSession();
}

}  // namespace

void WatchForDisplayLoss() {
  program_thread = std::this_thread::get_id();
  XSetIOErrorHandler(OnBrokenConnection);
}

bool DisplayLost() {
  return display_lost.load();
}

void WaitForSdlEvent(SDL_Event& event) {
  for (;;) {
    if (DisplayLost()) EndSession();
    // SDL_WaitEventTimeout fails only when SDL's events are not running, which they are as long
    // as the backend is open.
    if (SDL_WaitEventTimeout(&event, kLossCheckMilliseconds)) return;
  }
}

}  // namespace win32compat
