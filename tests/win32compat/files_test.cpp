// Copying, moving, deleting and marking files through Windows names, with Win32's results and
// last-error codes.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>

#include <unistd.h>

#include "win32compat/test_desktop.h"

namespace {

namespace fs = std::filesystem;

class FilesTest : public testing::Test {
 protected:
  FilesTest()
      : root_(fs::temp_directory_path() / ("win32compat_files_" + std::to_string(::getpid()))),
        disc_(root_ / "disc"),
        drive_(root_ / "drive") {
    fs::create_directories(disc_);
    fs::create_directories(drive_ / "folder");
    std::ofstream(disc_ / "CONFIG.SYS") << "disc";
    std::ofstream(drive_ / "config.sys") << "live";
    win32compat::DesktopOptions options;
    options.current_directory = disc_;
    options.system_drive = drive_;
    desktop_.emplace(options);
  }
  ~FilesTest() override {
    desktop_.reset();
    fs::remove_all(root_);
  }

  static std::string Contents(const fs::path& file) {
    if (!fs::exists(file)) return "(none)";
    std::ifstream stream(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
  }

  fs::path root_;
  fs::path disc_;
  fs::path drive_;
  std::optional<win32compat::TestDesktop> desktop_;
};

struct Call {
  const char* what;
  std::function<BOOL()> call;
  BOOL result;
  DWORD last_error;
  const char* config_sys;  // c:\config.sys afterwards
  const char* copy_sys;    // c:\copy.sys afterwards
};

TEST_F(FilesTest, CallsGiveWin32ResultsAndErrors) {
  const Call calls[] = {
      {"copy, replacing", [] { return CopyFileA("config.sys", "c:\\config.sys", FALSE); }, TRUE,
       ERROR_SUCCESS, "disc", "(none)"},
      {"copy that must not replace", [] { return CopyFileA("config.sys", "c:\\config.sys", TRUE); },
       FALSE, ERROR_FILE_EXISTS, "live", "(none)"},
      {"copy to a new name", [] { return CopyFileA("config.sys", "c:\\copy.sys", TRUE); }, TRUE,
       ERROR_SUCCESS, "live", "disc"},
      {"copy of a missing file", [] { return CopyFileA("missing", "c:\\copy.sys", FALSE); }, FALSE,
       ERROR_FILE_NOT_FOUND, "live", "(none)"},
      {"copy from another drive", [] { return CopyFileA("d:\\config.sys", "c:\\c.sys", FALSE); },
       FALSE, ERROR_PATH_NOT_FOUND, "live", "(none)"},
      {"copy over a read-only file",
       [] {
         SetFileAttributesA("c:\\config.sys", FILE_ATTRIBUTE_READONLY);
         return CopyFileA("config.sys", "c:\\config.sys", FALSE);
       },
       FALSE, ERROR_ACCESS_DENIED, "live", "(none)"},
      {"copy onto a folder", [] { return CopyFileA("config.sys", "c:\\folder", FALSE); }, FALSE,
       ERROR_ACCESS_DENIED, "live", "(none)"},
      {"move", [] { return MoveFileA("c:\\config.sys", "c:\\copy.sys"); }, TRUE, ERROR_SUCCESS,
       "(none)", "live"},
      {"move onto an existing file", [] { return MoveFileA("c:\\config.sys", "c:\\folder"); },
       FALSE, ERROR_ALREADY_EXISTS, "live", "(none)"},
      {"move of a missing file", [] { return MoveFileA("c:\\missing", "c:\\copy.sys"); }, FALSE,
       ERROR_FILE_NOT_FOUND, "live", "(none)"},
      {"delete", [] { return DeleteFileA("c:\\config.sys"); }, TRUE, ERROR_SUCCESS, "(none)",
       "(none)"},
      {"delete of a missing file", [] { return DeleteFileA("c:\\copy.sys"); }, FALSE,
       ERROR_FILE_NOT_FOUND, "live", "(none)"},
      {"delete of a read-only file",
       [] {
         SetFileAttributesA("c:\\config.sys", FILE_ATTRIBUTE_READONLY);
         return DeleteFileA("c:\\config.sys");
       },
       FALSE, ERROR_ACCESS_DENIED, "live", "(none)"},
      {"delete of a file made writable again",
       [] {
         SetFileAttributesA("c:\\config.sys", FILE_ATTRIBUTE_READONLY);
         SetFileAttributesA("c:\\config.sys", FILE_ATTRIBUTE_NORMAL);
         return DeleteFileA("c:\\config.sys");
       },
       TRUE, ERROR_SUCCESS, "(none)", "(none)"},
      {"delete of a folder", [] { return DeleteFileA("c:\\folder"); }, FALSE, ERROR_ACCESS_DENIED,
       "live", "(none)"},
      {"attributes of a missing file",
       [] { return SetFileAttributesA("c:\\copy.sys", FILE_ATTRIBUTE_NORMAL); }, FALSE,
       ERROR_FILE_NOT_FOUND, "live", "(none)"},
  };
  for (const Call& c : calls) {
    SCOPED_TRACE(c.what);
    std::error_code absent;
    fs::permissions(drive_ / "config.sys", fs::perms::owner_write, fs::perm_options::add, absent);
    std::ofstream(drive_ / "config.sys") << "live";
    fs::remove(drive_ / "copy.sys");
    SetLastError(12345);

    EXPECT_EQ(c.call(), c.result);
    EXPECT_EQ(GetLastError(), c.last_error);
    EXPECT_EQ(Contents(drive_ / "config.sys"), c.config_sys);
    EXPECT_EQ(Contents(drive_ / "copy.sys"), c.copy_sys);
  }
}

}  // namespace
