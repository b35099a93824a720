// SDL's key codes as Windows' virtual-key codes.
#pragma once

#include <SDL_keycode.h>

#include <windows.h>

namespace win32compat {

// 0 for a key the layer does not pass on.
UINT VirtualKeyOf(SDL_Keycode key);

}  // namespace win32compat
