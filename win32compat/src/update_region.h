// Invalidation and validation of a window's client area, and which window WM_PAINT is made up
// for next.
#pragma once

#include <windows.h>

#include "message_queue.h"
#include "window_manager.h"

namespace win32compat {

// The client area in client coordinates: (0, 0) to its width and height.
RECT ClientArea(const Window& window);
// Adds `area` (client coordinates; null for all of it) to the update region. `erase` asks for a
// WM_ERASEBKGND before the next paint.
void Invalidate(Window& window, const RECT* area, bool erase);
// Removes `area` (null for all) from the update region. The region is kept as one rectangle,
// so a part of it is only removed when the area covers it all.
void Validate(Window& window, const RECT* area);
// A visible window the filter takes that has an update region; top of the z-order first.
HWND WindowNeedingPaint(const WindowManager& windows, const MessageFilter& filter);

}  // namespace win32compat
