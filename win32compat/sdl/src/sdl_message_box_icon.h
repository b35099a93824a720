// The icons of the MB_ICON styles, drawn here rather than taken from a theme, so that a box looks
// the same on every desktop: a red disc with a white cross (error), a yellow triangle with an
// exclamation mark (warning), a blue disc with a white "i" (information) or "?" (question).
#pragma once

#include <windows.h>

#include <cstdint>

#include "sdl_pixel_buffer.h"

namespace win32compat {

bool HasMessageBoxIcon(UINT style);
// Draws the icon of the style into `place` (32 x 32), blended over `background`.
void DrawMessageBoxIcon(SdlPixelBuffer& buffer, const RECT& place, UINT style,
                        std::uint32_t background);

}  // namespace win32compat
