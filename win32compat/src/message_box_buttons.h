// The buttons of a message box as Windows lays them out for each MB_ type: their answers, labels
// and access keys left to right, which one is the default, and what Escape answers.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

namespace win32compat {

struct MessageBoxButton {
  int answer;         // IDOK, IDCANCEL, ...
  const char* label;  // as shown
  char access_key;    // the underlined letter that answers it at once (upper case), or 0
};

std::vector<MessageBoxButton> MessageBoxButtonsOf(UINT style);
// MB_DEFBUTTON1 to 3 among the buttons of the style; the first when there is no such button.
std::size_t DefaultButtonIndex(UINT style);
// What Escape (and closing the box) answers: Cancel where there is one, OK in a box with OK
// alone, and 0 where Windows lets neither dismiss the box (Yes/No, Abort/Retry/Ignore).
int EscapeAnswer(UINT style);

}  // namespace win32compat
