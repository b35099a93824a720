// The characters keys make, on a US keyboard: letters, digits and their shifted symbols, space
// and the control characters of Return, Backspace, Tab and Escape, and Ctrl with a letter.
#pragma once

#include <windows.h>

#include <optional>

namespace win32compat {

std::optional<char> CharacterOf(UINT virtual_key, bool shift, bool control);

}  // namespace win32compat
