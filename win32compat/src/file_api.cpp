// Copying, moving, deleting and marking files: the part of kernel32's file calls the menu uses,
// on the host files that the Windows names stand for.
//
// The read-only attribute is the owner's write permission. Windows refuses to overwrite or
// delete a read-only file whoever asks, so that is tested here rather than left to the host,
// which lets a privileged user write anyway.
#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include <unistd.h>

#include "system.h"

using win32compat::CurrentSystem;
namespace fs = std::filesystem;

namespace {

std::optional<fs::path> HostFile(LPCSTR name) {
  if (!name) return std::nullopt;
  return CurrentSystem().paths().HostPath(name);
}

bool IsReadOnly(const fs::path& file) {
  std::error_code error;
  const fs::perms perms = fs::status(file, error).permissions();
  return !error && (perms & fs::perms::owner_write) == fs::perms::none;
}

DWORD ErrorOf(const std::error_code& error) {
  if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted ||
      error == std::errc::read_only_file_system || error == std::errc::is_a_directory)
    return ERROR_ACCESS_DENIED;
  if (error == std::errc::no_such_file_or_directory) return ERROR_PATH_NOT_FOUND;
  return ERROR_GEN_FAILURE;
}

// The checks every call makes of its source: a name with a host file, a file and not a folder.
DWORD SourceError(const std::optional<fs::path>& source) {
  if (!source) return ERROR_PATH_NOT_FOUND;
  std::error_code error;
  const fs::file_status status = fs::status(*source, error);
  if (!fs::exists(status)) return ERROR_FILE_NOT_FOUND;
  if (fs::is_directory(status)) return ERROR_ACCESS_DENIED;
  return ERROR_SUCCESS;
}

// A copy that fails part-way (a full disk, a file-size limit, a read error) must not leave the
// target cut short: a start-up file with half its lines is worse than the one it replaced. The
// data goes to a file beside the target, which replaces the target only once it is complete.
std::error_code CopyWhole(const fs::path& source, const fs::path& target) {
  const fs::path partial = target.parent_path() /
                           (target.filename().string() + ".copying-" + std::to_string(::getpid()));
  std::error_code error;
  fs::copy_file(source, partial, fs::copy_options::overwrite_existing, error);
  if (!error) fs::rename(partial, target, error);
  if (error) {
    std::error_code ignored;
    fs::remove(partial, ignored);
  }
  return error;
}

BOOL Failed(DWORD error) {
  return CurrentSystem().Fail(error, BOOL{FALSE});
}

BOOL Succeeded() {
  CurrentSystem().SetLastError(ERROR_SUCCESS);
  return TRUE;
}

}  // namespace

extern "C" {

BOOL WINAPI CopyFileA(LPCSTR existingFileName, LPCSTR newFileName, BOOL failIfExists) {
  const auto source = HostFile(existingFileName);
  const auto target = HostFile(newFileName);
  if (const DWORD error = SourceError(source)) return Failed(error);
  if (!target) return Failed(ERROR_PATH_NOT_FOUND);
  std::error_code error;
  if (fs::exists(*target, error)) {
    if (failIfExists) return Failed(ERROR_FILE_EXISTS);
    if (fs::is_directory(*target) || IsReadOnly(*target)) return Failed(ERROR_ACCESS_DENIED);
  }
  error = CopyWhole(*source, *target);
  if (error) return Failed(ErrorOf(error));
  return Succeeded();
}

BOOL WINAPI MoveFileA(LPCSTR existingFileName, LPCSTR newFileName) {
  const auto source = HostFile(existingFileName);
  const auto target = HostFile(newFileName);
  if (const DWORD error = SourceError(source)) return Failed(error);
  if (!target) return Failed(ERROR_PATH_NOT_FOUND);
  std::error_code error;
  if (fs::exists(*target, error)) return Failed(ERROR_ALREADY_EXISTS);
  fs::rename(*source, *target, error);
  if (error) return Failed(ErrorOf(error));
  return Succeeded();
}

BOOL WINAPI DeleteFileA(LPCSTR fileName) {
  const auto file = HostFile(fileName);
  if (const DWORD error = SourceError(file)) return Failed(error);
  if (IsReadOnly(*file)) return Failed(ERROR_ACCESS_DENIED);
  std::error_code error;
  fs::remove(*file, error);
  if (error) return Failed(ErrorOf(error));
  return Succeeded();
}

BOOL WINAPI SetFileAttributesA(LPCSTR fileName, DWORD attributes) {
  const auto file = HostFile(fileName);
  if (!file) return Failed(ERROR_PATH_NOT_FOUND);
  std::error_code error;
  if (!fs::exists(*file, error)) return Failed(ERROR_FILE_NOT_FOUND);
  const fs::perm_options change =
      (attributes & FILE_ATTRIBUTE_READONLY) ? fs::perm_options::remove : fs::perm_options::add;
  fs::permissions(*file, fs::perms::owner_write, change, error);
  if (error) return Failed(ErrorOf(error));
  return Succeeded();
}

}  // extern "C"
