// What the backup and restore tests put on the system drive and expect back: the machine's own
// start-up files, and the message boxes as "text / title".
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace startup_files {

// Files by name with their contents.
using Files = std::map<std::string, std::string>;

inline constexpr char kOriginalAutoexec[] = "rem the machine's own autoexec\r\n";
inline constexpr char kOriginalConfig[] = "rem the machine's own config\r\n";
inline constexpr char kFilesCopied[] = "Files copied / Confirmation";
inline constexpr char kFilesRestored[] = "Files restored / Confirmation";
inline constexpr char kCopyFailed[] = "Error copying files / Error";
inline constexpr char kAutoexecFailed[] = "Error restoring autoexec.bat / Error";
inline constexpr char kConfigFailed[] = "Error restoring config.sys / Error";

inline std::string Contents(const std::filesystem::path& file) {
  std::ifstream stream(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

}  // namespace startup_files
