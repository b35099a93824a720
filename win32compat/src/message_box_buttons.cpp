#include "message_box_buttons.h"

namespace win32compat {

std::vector<MessageBoxButton> MessageBoxButtonsOf(UINT style) {
  switch (style & MB_TYPEMASK) {
    case MB_OKCANCEL:
      return {{IDOK, "OK", 0}, {IDCANCEL, "Cancel", 0}};
    case MB_ABORTRETRYIGNORE:
      return {{IDABORT, "Abort", 'A'}, {IDRETRY, "Retry", 'R'}, {IDIGNORE, "Ignore", 'I'}};
    case MB_YESNOCANCEL:
      return {{IDYES, "Yes", 'Y'}, {IDNO, "No", 'N'}, {IDCANCEL, "Cancel", 0}};
    case MB_YESNO:
      return {{IDYES, "Yes", 'Y'}, {IDNO, "No", 'N'}};
    case MB_RETRYCANCEL:
      return {{IDRETRY, "Retry", 'R'}, {IDCANCEL, "Cancel", 0}};
    default:
      return {{IDOK, "OK", 0}};
  }
}

std::size_t DefaultButtonIndex(UINT style) {
  const std::size_t chosen = (style & MB_DEFMASK) >> 8;
  return chosen < MessageBoxButtonsOf(style).size() ? chosen : 0;
}

int EscapeAnswer(UINT style) {
  const std::vector<MessageBoxButton> buttons = MessageBoxButtonsOf(style);
  for (const MessageBoxButton& button : buttons) {
    if (button.answer == IDCANCEL) return IDCANCEL;
  }
  return buttons.size() == 1 && buttons.front().answer == IDOK ? IDOK : 0;
}

}  // namespace win32compat
