// How a program run on its own reaches a person's display. The core layer draws nothing itself:
// a display backend (the SDL backend, sdl_backend.h) is a library of its own, which a program
// names here at start-up, before its first Win32 call. Without one, or when it finds no display,
// the program runs on a headless desktop (README.md).
#pragma once

#include <memory>
#include <string>

#include "win32compat/backend.h"

namespace win32compat {

// Opens a backend on the display, or returns null and says why in `failure`.
using DisplayOpener = std::unique_ptr<Backend> (*)(std::string& failure);

void SetDisplayOpener(DisplayOpener opener);

}  // namespace win32compat
