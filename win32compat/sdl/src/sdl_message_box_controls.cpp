#include "sdl_message_box_controls.h"

namespace win32compat {

MessageBoxControls::MessageBoxControls(UINT style)
    : buttons_(MessageBoxButtonsOf(style)),
      escape_answer_(EscapeAnswer(style)),
      focus_(DefaultButtonIndex(style)) {}

std::optional<std::size_t> MessageBoxControls::Pushed() const {
  if (space_down_) return focus_;
  if (mouse_down_on_ && over_ == mouse_down_on_) return mouse_down_on_;
  return std::nullopt;
}

std::optional<int> MessageBoxControls::AnswerOf(int answer) const {
  return answer != 0 ? std::optional<int>(answer) : std::nullopt;
}

void MessageBoxControls::MoveFocus(int step) {
  const auto count = static_cast<int>(buttons_.size());
  focus_ = static_cast<std::size_t>((static_cast<int>(focus_) + step + count) % count);
  space_down_ = false;
}

std::optional<int> MessageBoxControls::KeyDown(UINT virtual_key, bool shift, bool alt) {
  switch (virtual_key) {
    case VK_RETURN:
      return buttons_[focus_].answer;
    case VK_ESCAPE:
      return AnswerOf(escape_answer_);
    case VK_F4:
      return alt ? AnswerOf(escape_answer_) : std::nullopt;
    case VK_SPACE:
      if (!mouse_down_on_) space_down_ = true;
      return std::nullopt;
    case VK_TAB:
      MoveFocus(shift ? -1 : 1);
      return std::nullopt;
    case VK_RIGHT:
    case VK_DOWN:
      MoveFocus(1);
      return std::nullopt;
    case VK_LEFT:
    case VK_UP:
      MoveFocus(-1);
      return std::nullopt;
    default:
      return AccessKey(virtual_key);
  }
}

// A button pushed with Space answers when Space comes up, as a button pushed with the mouse
// answers when the mouse button does.
std::optional<int> MessageBoxControls::KeyUp(UINT virtual_key) {
  if (virtual_key != VK_SPACE || !space_down_) return std::nullopt;
  space_down_ = false;
  return buttons_[focus_].answer;
}

// A letter, with or without Alt, answers the button it is the access key of.
std::optional<int> MessageBoxControls::AccessKey(UINT virtual_key) const {
  for (const MessageBoxButton& button : buttons_) {
    if (button.access_key != 0 && static_cast<UINT>(button.access_key) == virtual_key) {
      return button.answer;
    }
  }
  return std::nullopt;
}

std::optional<int> MessageBoxControls::Close() const {
  return AnswerOf(escape_answer_);
}

void MessageBoxControls::ButtonDown(std::optional<std::size_t> button) {
  over_ = button;
  if (!button || *button >= buttons_.size()) return;
  mouse_down_on_ = button;
  focus_ = *button;
  space_down_ = false;
}

std::optional<int> MessageBoxControls::ButtonUp(std::optional<std::size_t> button) {
  const std::optional<std::size_t> pressed = mouse_down_on_;
  mouse_down_on_.reset();
  over_ = button;
  if (!pressed || button != pressed) return std::nullopt;
  return buttons_[*pressed].answer;
}

}  // namespace win32compat
