// The non-client part of a window as the classic Windows look draws it: a raised grey frame and
// a dark blue title bar with the title in white. The layer's metrics (nonclient_frame.h) decide
// where each part lies, so the client area is exactly where the program's coordinates say.
#pragma once

#include <windows.h>

#include <string>

#include "sdl_pixel_buffer.h"

namespace win32compat {

class SdlCaptionFont;

// Draws the frame of a window of this style over the whole buffer (its outer rectangle), leaving
// the client area's pixels alone. `font` may be null: the bar then has no text.
void DrawWindowFrame(SdlPixelBuffer& buffer, DWORD style, const std::string& utf8_title,
                     const SdlCaptionFont* font);

}  // namespace win32compat
