#include "sdl_display_loss.h"

#include <SDL.h>
#include <X11/Xlib.h>
#include <signal.h>
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

void OnBrokenPipe(int) {}

// A write to a server that has gone raises SIGPIPE, whose default kills the process before
// Xlib can report the broken connection. Caught by a handler that does nothing, it becomes the
// write's error; unlike an ignored signal, a caught one is not passed on to the programs the
// process starts. A program that chose its own way with SIGPIPE keeps it.
void CatchBrokenPipes() {
  struct sigaction current {};
  if (sigaction(SIGPIPE, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) return;
  struct sigaction caught {};
  caught.sa_handler = OnBrokenPipe;
  sigemptyset(&caught.sa_mask);
  caught.sa_flags = SA_RESTART;
  sigaction(SIGPIPE, &caught, nullptr);
}

}  // namespace

void WatchForDisplayLoss() {
  program_thread = std::this_thread::get_id();
  CatchBrokenPipes();
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
