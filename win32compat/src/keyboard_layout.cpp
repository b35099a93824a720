#include "keyboard_layout.h"

namespace win32compat {

std::optional<char> CharacterOf(UINT virtual_key, bool shift, bool control) {
  if (virtual_key >= 'A' && virtual_key <= 'Z') {
    if (control) return static_cast<char>(virtual_key - 'A' + 1);
    return static_cast<char>(shift ? virtual_key : virtual_key - 'A' + 'a');
  }
  if (virtual_key >= '0' && virtual_key <= '9') {
    if (control) return std::nullopt;
    constexpr char kShiftedDigits[] = ")!@#$%^&*(";
    return shift ? kShiftedDigits[virtual_key - '0'] : static_cast<char>(virtual_key);
  }
  switch (virtual_key) {
    case VK_SPACE:
      return ' ';
    case VK_RETURN:
      return control ? '\n' : '\r';
    case VK_BACK:
      return control ? '\x7F' : '\b';
    case VK_TAB:
      return control ? std::nullopt : std::optional<char>('\t');
    case VK_ESCAPE:
      return '\x1B';
    default:
      return std::nullopt;
  }
}

}  // namespace win32compat
