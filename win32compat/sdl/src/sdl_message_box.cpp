#include "sdl_message_box.h"

#include <SDL.h>

#include <string>
#include <vector>

#include "sdl_ansi_text.h"

namespace win32compat {
namespace {

std::vector<SDL_MessageBoxButtonData> ButtonsOf(UINT style) {
  switch (style & MB_TYPEMASK) {
    case MB_OKCANCEL:
      return {{0, IDOK, "OK"}, {0, IDCANCEL, "Cancel"}};
    case MB_ABORTRETRYIGNORE:
      return {{0, IDABORT, "Abort"}, {0, IDRETRY, "Retry"}, {0, IDIGNORE, "Ignore"}};
    case MB_YESNOCANCEL:
      return {{0, IDYES, "Yes"}, {0, IDNO, "No"}, {0, IDCANCEL, "Cancel"}};
    case MB_YESNO:
      return {{0, IDYES, "Yes"}, {0, IDNO, "No"}};
    case MB_RETRYCANCEL:
      return {{0, IDRETRY, "Retry"}, {0, IDCANCEL, "Cancel"}};
    default:
      return {{0, IDOK, "OK"}};
  }
}

Uint32 IconFlag(UINT style) {
  switch (style & MB_ICONMASK) {
    case MB_ICONERROR:
      return SDL_MESSAGEBOX_ERROR;
    case MB_ICONWARNING:
      return SDL_MESSAGEBOX_WARNING;
    case MB_ICONINFORMATION:
    case MB_ICONQUESTION:
      return SDL_MESSAGEBOX_INFORMATION;
    default:
      return 0;
  }
}

// Enter takes the default button (MB_DEFBUTTON1 to 3, the first when out of range); Escape and
// closing the box take Cancel, or OK in a box with OK alone. A box without either, such as
// Yes/No, cannot be dismissed that way on Windows; here closing it takes the default button.
int MarkDefaults(std::vector<SDL_MessageBoxButtonData>& buttons, UINT style) {
  std::size_t chosen = (style & MB_DEFMASK) >> 8;
  if (chosen >= buttons.size()) chosen = 0;
  buttons[chosen].flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
  int dismissed = buttons[chosen].buttonid;
  for (SDL_MessageBoxButtonData& button : buttons) {
    if (button.buttonid == IDCANCEL || buttons.size() == 1) {
      button.flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
      dismissed = button.buttonid;
    }
  }
  return dismissed;
}

}  // namespace

MessageBoxButtons ButtonsFor(UINT style) {
  MessageBoxButtons result;
  result.buttons = ButtonsOf(style);
  result.dismissed = MarkDefaults(result.buttons, style);
  return result;
}

int ShowSdlMessageBox(const MessageBoxRequest& request, SDL_Window* owner) {
  MessageBoxButtons buttons = ButtonsFor(request.style);
  const std::string title = AnsiToUtf8(request.caption);
  const std::string text = AnsiToUtf8(request.text);
  SDL_MessageBoxData box{};
  box.flags = IconFlag(request.style) | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
  box.window = owner;
  box.title = title.c_str();
  box.message = text.c_str();
  box.numbuttons = static_cast<int>(buttons.buttons.size());
  box.buttons = buttons.buttons.data();
  int answer = 0;
  if (SDL_ShowMessageBox(&box, &answer) != 0) return 0;
  return answer < 0 ? buttons.dismissed : answer;
}

}  // namespace win32compat
