// Where the Windows file names a program has compiled in live on the host: relative names under
// the current directory, drive C: in a folder of its own, and, since a disc mounted on the host
// may keep its names in another case, each name matched without case when it has no exact match.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>

namespace win32compat {

class HostPaths {
 public:
  HostPaths(std::filesystem::path current_directory, std::filesystem::path system_drive);

  const std::filesystem::path& CurrentDirectory() const { return current_directory_; }
  const std::filesystem::path& SystemDrive() const { return system_drive_; }

  // Empty for a name the host has no place for: an empty name or a drive other than C:.
  std::optional<std::filesystem::path> HostPath(std::string_view windows_path) const;

 private:
  std::filesystem::path current_directory_;
  std::filesystem::path system_drive_;
};

// The folder that stands for drive C: when nobody chose one: $LUMARC_SYSTEM_DRIVE, else
// lumarc/system-drive under the XDG state directory ($XDG_STATE_HOME, or ~/.local/state). Never
// the host's root. `environment` looks a variable up (null when unset).
std::filesystem::path DefaultSystemDrive(
    const std::function<const char*(const char*)>& environment);

}  // namespace win32compat
