// MessageBoxA as SDL's modal message box: the program's text and title, the buttons of its box
// type in Windows' order, its default button on Enter, and Windows' answer codes.
#pragma once

#include <SDL_messagebox.h>

#include <vector>

#include "win32compat/backend.h"

namespace win32compat {

struct MessageBoxButtons {
  std::vector<SDL_MessageBoxButtonData> buttons;  // left to right; ids are IDOK, IDCANCEL, ...
  int dismissed = 0;  // the answer when the box is closed without a button
};

MessageBoxButtons ButtonsFor(UINT style);

// Blocks until the user answers; returns IDOK, IDCANCEL, ..., or 0 when SDL cannot show a box
// (as MessageBoxA returns 0 on failure). `owner` may be null.
int ShowSdlMessageBox(const MessageBoxRequest& request, SDL_Window* owner);

}  // namespace win32compat
