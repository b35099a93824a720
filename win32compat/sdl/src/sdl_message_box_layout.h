// Where the parts of a message box go, in the classic Windows proportions: the icon at the top
// left, the text beside it wrapped to a width that suits the screen, a row of equal buttons
// centred under both, and a box wide enough for its caption. Free of SDL: the text is measured
// through a function the caller gives, so that tests need no font.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace win32compat {

// The width in pixels of a piece of UTF-8 text.
using MeasureText = std::function<int(std::string_view utf8)>;

// The text as lines no wider than `max_width`: broken at the text's own line ends (LF, CR LF,
// CR), then between words, and inside a word only where the word alone is too wide.
std::vector<std::string> WrapText(std::string_view utf8, int max_width, const MeasureText& measure);

struct MessageBoxLayout {
  SIZE client{};  // the client area; the frame goes around it
  RECT icon{};    // empty when the box has no icon
  POINT text{};   // the top left of the first line
  int line_height = 0;
  std::vector<std::string> lines;
  std::vector<RECT> buttons;  // left to right
};

struct MessageBoxContent {
  std::string utf8_text;
  bool has_icon = false;
  std::size_t button_count = 1;
  int caption_width = 0;  // the title's width in the bar
  int line_height = 0;
};

MessageBoxLayout LayOutMessageBox(const MessageBoxContent& content, SIZE screen,
                                  const MeasureText& measure);

}  // namespace win32compat
