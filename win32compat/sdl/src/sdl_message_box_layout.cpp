#include "sdl_message_box_layout.h"

#include <algorithm>

namespace win32compat {
namespace {

constexpr int kMargin = 12;  // around the contents
constexpr int kIconSize = 32;
constexpr int kIconToText = 12;
constexpr int kTextToButtons = 14;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 6;
constexpr int kCaptionRoom = 40;     // beyond the title, for the bar's ends
constexpr int kNarrowestText = 160;  // the wrap width on the smallest screens

// The wrap width grows with the screen, as Windows' boxes do, so a long text makes a wide
// box on a wide screen rather than a tall one.
int WrapWidth(SIZE screen) {
  return std::max<int>(kNarrowestText, static_cast<int>(screen.cx) / 2);
}

bool IsContinuationByte(char byte) {
  return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// The longest start of `word` (whole UTF-8 characters, at least one) that fits.
std::size_t FittingPrefix(std::string_view word, int max_width, const MeasureText& measure) {
  std::size_t fits = 0;
  for (std::size_t end = 1; end <= word.size(); ++end) {
    if (end < word.size() && IsContinuationByte(word[end])) continue;
    if (fits != 0 && measure(word.substr(0, end)) > max_width) break;
    fits = end;
  }
  return fits;
}

void WrapParagraph(std::string_view paragraph, int max_width, const MeasureText& measure,
                   std::vector<std::string>& lines) {
  std::string line;
  std::size_t at = 0;
  while (at < paragraph.size()) {
    const std::size_t word_end = std::min(paragraph.find(' ', at), paragraph.size());
    std::string_view word = paragraph.substr(at, word_end - at);
    const std::string joined = line.empty() ? std::string(word) : line + ' ' + std::string(word);
    if (measure(joined) <= max_width) {
      line = joined;
    } else {
      if (!line.empty()) lines.push_back(std::move(line));
      line.clear();
      while (measure(word) > max_width) {
        const std::size_t cut = FittingPrefix(word, max_width, measure);
        lines.emplace_back(word.substr(0, cut));
        word.remove_prefix(cut);
      }
      line = word;
    }
    at = word_end + 1;
  }
  lines.push_back(std::move(line));
}

}  // namespace

std::vector<std::string> WrapText(std::string_view utf8, int max_width,
                                  const MeasureText& measure) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (true) {
    const std::size_t end = utf8.find_first_of("\r\n", at);
    WrapParagraph(utf8.substr(at, end == std::string_view::npos ? end : end - at), max_width,
                  measure, lines);
    if (end == std::string_view::npos) break;
    at = end + (utf8.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return lines;
}

MessageBoxLayout LayOutMessageBox(const MessageBoxContent& content, SIZE screen,
                                  const MeasureText& measure) {
  MessageBoxLayout layout;
  layout.line_height = content.line_height;
  layout.lines = WrapText(content.utf8_text, WrapWidth(screen), measure);
  int text_width = 0;
  for (const std::string& line : layout.lines) text_width = std::max(text_width, measure(line));
  const int text_height = static_cast<int>(layout.lines.size()) * content.line_height;

  const int icon_room = content.has_icon ? kIconSize + kIconToText : 0;
  const int top_height = std::max(text_height, content.has_icon ? kIconSize : 0);
  const auto button_count = static_cast<int>(content.button_count);
  const int buttons_width = button_count * kButtonWidth + (button_count - 1) * kButtonGap;
  const int width = std::max({icon_room + text_width, buttons_width,
                              content.caption_width + kCaptionRoom - 2 * kMargin}) +
                    2 * kMargin;
  layout.client = SIZE{width, kMargin + top_height + kTextToButtons + kButtonHeight + kMargin};

  if (content.has_icon)
    layout.icon = RECT{kMargin, kMargin, kMargin + kIconSize, kMargin + kIconSize};
  // A text shorter than the icon stands beside its middle.
  layout.text = POINT{kMargin + icon_room, kMargin + (top_height - text_height) / 2};
  const int buttons_top = kMargin + top_height + kTextToButtons;
  int left = (width - buttons_width) / 2;
  for (int i = 0; i < button_count; ++i, left += kButtonWidth + kButtonGap) {
    layout.buttons.push_back(
        RECT{left, buttons_top, left + kButtonWidth, buttons_top + kButtonHeight});
  }
  return layout;
}

}  // namespace win32compat
