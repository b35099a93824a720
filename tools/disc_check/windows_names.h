#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// File names as Windows sees them on a disc: through the image's Joliet tree, which holds names
// of at most 64 UTF-16 characters, and through the Win32 file functions, which refuse some names
// and compare all of them without regard to case.
namespace Lumarc::Tools {

inline constexpr std::size_t kJolietNameLimit = 64;
// MAX_PATH (260) less the drive ("D:\") and the terminating 0.
inline constexpr std::size_t kDiscPathLimit = 256;

// Why Windows could not use `name` (one UTF-8 path component) from the disc, or nothing.
std::optional<std::string> NameProblem(std::string_view name);

// The length of a UTF-8 text in UTF-16 code units; nothing when it is not UTF-8.
std::optional<std::size_t> Utf16Length(std::string_view utf8);

// The name as Windows compares it. Only ASCII letters are folded: names that differ in other
// letters alone are rare enough on a disc to be left to the publisher's eye.
std::string FoldCase(std::string_view name);

// The file or folder that `disc_path` (relative, with backslashes or slashes) names under
// `root` when every component is compared as Windows compares it; nothing when there is none.
std::optional<std::filesystem::path> FindOnDisc(const std::filesystem::path& root,
                                                std::string_view disc_path);

}  // namespace Lumarc::Tools
