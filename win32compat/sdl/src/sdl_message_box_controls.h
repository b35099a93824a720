// What a message box does with the user's keys and mouse, as Windows' box does it: the focused
// button (at first the default one) answers Return and Space, Tab and the arrow keys move the
// focus, Escape, Alt+F4 and closing answer Cancel (or OK alone) where the box has one, an access
// letter answers its button at once, and a click answers only when the button is released over the
// button it was pressed on. Free of SDL, so that tests drive it without a display.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <vector>

#include "message_box_buttons.h"

namespace win32compat {

class MessageBoxControls {
 public:
  explicit MessageBoxControls(UINT style);

  const std::vector<MessageBoxButton>& Buttons() const { return buttons_; }
  std::size_t Focus() const { return focus_; }
  // The button drawn pushed in, if any.
  std::optional<std::size_t> Pushed() const;

  // Each returns the answer once the input gives one. `button` is the button under the pointer.
  // Keys as virtual-key codes (VK_...; letters are their upper-case ASCII codes).
  std::optional<int> KeyDown(UINT virtual_key, bool shift, bool alt);
  std::optional<int> KeyUp(UINT virtual_key);
  // The window manager's close.
  std::optional<int> Close() const;
  void ButtonDown(std::optional<std::size_t> button);
  void PointerOver(std::optional<std::size_t> button) { over_ = button; }
  std::optional<int> ButtonUp(std::optional<std::size_t> button);

 private:
  std::optional<int> AnswerOf(int answer) const;
  std::optional<int> AccessKey(UINT virtual_key) const;
  void MoveFocus(int step);

  std::vector<MessageBoxButton> buttons_;
  int escape_answer_;
  std::size_t focus_;
  bool space_down_ = false;
  std::optional<std::size_t> mouse_down_on_;  // the button the left button went down on
  std::optional<std::size_t> over_;
};

}  // namespace win32compat
