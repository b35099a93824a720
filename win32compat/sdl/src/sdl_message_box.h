// MessageBoxA on the display: a window of the layer's own look (frame, title bar with the
// caption), the icon of the box's style, its text wrapped, and the buttons of its type, drawn
// here with SDL_ttf, so that a box shows the same on every desktop and needs nothing of it.
// The box is modal: while it is up, the program's other windows take no input; what the display
// loses of them is shown again from their kept pixels.
#pragma once

#include <SDL_events.h>

#include <functional>
#include <optional>

#include "win32compat/backend.h"

namespace win32compat {

class SdlCaptionFont;

struct SdlMessageBoxPlace {
  SIZE screen{};
  std::optional<RECT> owner;                     // the owner's outer rectangle, when it is shown
  const SdlCaptionFont* caption_font = nullptr;  // may be null: a plain title bar
  // Called with each event the box does not take: exposes of the program's other windows.
  std::function<void(const SDL_Event&)> other_event;
};

// Blocks until the user answers; returns IDOK, IDCANCEL, ..., or 0 when the box cannot be shown
// (no font, SDL cannot make its window) or is taken down unanswered (the program is asked to
// quit), after saying why on standard error. A display that goes away while the box is up ends
// the session there (sdl_display_loss.h): the call does not return.
int ShowSdlMessageBox(const MessageBoxRequest& request, const SdlMessageBoxPlace& place);

}  // namespace win32compat
