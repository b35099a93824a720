#include "windows_names.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <system_error>

namespace Lumarc::Tools {
namespace {

// Characters that neither the Joliet tree nor the Win32 file functions accept in a name.
constexpr std::string_view kForbiddenCharacters = "*/:;?\\\"<>|";

// Device names that Windows opens as the device, whatever extension follows them.
constexpr std::array<std::string_view, 22> kDeviceNames = {
    "con",  "prn",  "aux",  "nul",  "com1", "com2", "com3", "com4", "com5", "com6", "com7",
    "com8", "com9", "lpt1", "lpt2", "lpt3", "lpt4", "lpt5", "lpt6", "lpt7", "lpt8", "lpt9"};

// The code point that starts at `at` and how many bytes it takes; nothing when the bytes there
// are no shortest-form UTF-8 for a Unicode scalar value.
std::optional<std::pair<std::uint32_t, std::size_t>> DecodeUtf8(std::string_view text,
                                                                std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  if (lead < 0x80) return std::pair{std::uint32_t{lead}, std::size_t{1}};
  const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
  if (length == 0 || lead > 0xF4 || at + length > text.size()) return std::nullopt;
  std::uint32_t code = lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[at + i]);
    if ((next & 0xC0) != 0x80) return std::nullopt;
    code = code << 6 | (next & 0x3F);
  }
  constexpr std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
    return std::nullopt;
  }
  return std::pair{code, length};
}

}  // namespace

std::optional<std::size_t> Utf16Length(std::string_view utf8) {
  std::size_t units = 0;
  for (std::size_t at = 0; at < utf8.size();) {
    const auto decoded = DecodeUtf8(utf8, at);
    if (!decoded) return std::nullopt;
    units += decoded->first > 0xFFFF ? 2 : 1;
    at += decoded->second;
  }
  return units;
}

std::string FoldCase(std::string_view name) {
  std::string folded(name);
  std::transform(folded.begin(), folded.end(), folded.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  return folded;
}

std::optional<std::string> NameProblem(std::string_view name) {
  const std::optional<std::size_t> length = Utf16Length(name);
  if (!length) return "the name is not UTF-8 text";
  if (*length > kJolietNameLimit) {
    return "the name has " + std::to_string(*length) + " characters, but a disc's Joliet names " +
           "hold at most " + std::to_string(kJolietNameLimit) + ": Windows would see it cut short";
  }
  for (const char c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || kForbiddenCharacters.find(c) != std::string::npos) {
      return "the name holds a character that Windows does not allow in names (one of " +
             std::string(kForbiddenCharacters) + " or a control character)";
    }
  }
  if (name.ends_with('.') || name.ends_with(' ')) {
    return "the name ends in a dot or a space, which Windows drops, so it could not open the file";
  }
  const std::string stem = FoldCase(name.substr(0, name.find('.')));
  if (std::find(kDeviceNames.begin(), kDeviceNames.end(), stem) != kDeviceNames.end()) {
    return "Windows opens the device " + stem + " under this name, not the file";
  }
  return std::nullopt;
}

std::optional<std::filesystem::path> FindOnDisc(const std::filesystem::path& root,
                                                std::string_view disc_path) {
  std::filesystem::path found = root;
  while (!disc_path.empty()) {
    const std::size_t end = disc_path.find_first_of("\\/");
    const std::string wanted = FoldCase(disc_path.substr(0, end));
    disc_path = end == std::string_view::npos ? "" : disc_path.substr(end + 1);
    if (wanted.empty()) continue;

    std::error_code error;
    std::optional<std::filesystem::path> match;
    for (std::filesystem::directory_iterator it(found, error), last; !error && it != last;
         it.increment(error)) {
      if (FoldCase(it->path().filename().string()) == wanted) {
        match = it->path();
        break;
      }
    }
    if (!match) return std::nullopt;
    found = *match;
  }
  return found;
}

}  // namespace Lumarc::Tools
