// Window titles and message texts reach the layer in the program's ANSI code page (Windows-1252
// for the programs this layer runs); SDL wants UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace win32compat {

std::string AnsiToUtf8(std::string_view ansi);

}  // namespace win32compat
