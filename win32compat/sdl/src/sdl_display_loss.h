// A display that goes away ends the program's session (EndSession in backend.h). Left alone,
// Xlib meets a broken X connection by calling exit() from inside whatever call found it: the
// exit handlers then take SDL down over the dead connection, where SDL waits for ever for the
// server to confirm a window is gone (a busy loop that no signal ends), or abort. The backend
// therefore handles the loss itself.
#pragma once

#include <SDL_events.h>

namespace win32compat {

// From here on, a broken connection to the X server ends the session on the calling thread,
// which must be the one that runs the program's windows. Called before SDL opens the display.
void WatchForDisplayLoss();
// True once the display was found gone. The backend then leaves SDL's video alone.
bool DisplayLost();
// SDL_WaitEvent for the backend's loops: waits for the next event, ending the session as soon as
// the display is found gone on any thread.
void WaitForSdlEvent(SDL_Event& event);

}  // namespace win32compat
