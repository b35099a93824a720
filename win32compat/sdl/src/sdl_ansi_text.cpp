#include "sdl_ansi_text.h"

#include <array>
#include <cstdint>

namespace win32compat {
namespace {

// Windows-1252 differs from Latin-1 only in 0x80 to 0x9F; its five unassigned bytes keep their
// C1 code points, as Windows' own conversion does.
constexpr std::array<char16_t, 32> kHighControlRange = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char16_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | code >> 6);
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | code >> 12);
    out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

}  // namespace

std::string AnsiToUtf8(std::string_view ansi) {
  std::string out;
  out.reserve(ansi.size());
  for (const char byte : ansi) {
    const auto value = static_cast<std::uint8_t>(byte);
    const bool high_control = value >= 0x80 && value < 0xA0;
    AppendUtf8(out, high_control ? kHighControlRange[value - 0x80] : char16_t{value});
  }
  return out;
}

}  // namespace win32compat
