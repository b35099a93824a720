// Where compiled-in Windows file names lead on the host, and the current directory.
#include <windows.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include <unistd.h>

#include "host_paths.h"
#include "win32compat/test_desktop.h"

namespace {

namespace fs = std::filesystem;

class PathsTest : public testing::Test {
 protected:
  PathsTest()
      : root_(fs::temp_directory_path() / ("win32compat_paths_" + std::to_string(::getpid()))),
        disc_(root_ / "disc"),
        drive_(root_ / "drive") {
    fs::create_directories(disc_ / "BRIVANT");
    fs::create_directories(drive_);
    std::ofstream(disc_ / "BRIVANT" / "1.DAT") << "picture";
    win32compat::DesktopOptions options;
    options.current_directory = disc_;
    options.system_drive = drive_;
    desktop_.emplace(options);
  }
  ~PathsTest() override {
    desktop_.reset();
    fs::remove_all(root_);
  }

  static std::string FullPath(const char* name) {
    const std::unique_ptr<char, decltype(&std::free)> full(_fullpath(nullptr, name, 0), &std::free);
    return full ? full.get() : "(none)";
  }

  fs::path root_;
  fs::path disc_;
  fs::path drive_;
  std::optional<win32compat::TestDesktop> desktop_;
};

TEST_F(PathsTest, WindowsNamesLeadIntoTheStartDirectoryAndTheSystemDriveFolder) {
  struct Case {
    const char* name;
    fs::path expected;
  };
  const Case cases[] = {
      {"brivant\\1.dat", disc_ / "BRIVANT" / "1.DAT"},  // found without regard to case
      {"setup.exe", disc_ / "setup.exe"},               // not there: the name as given
      {"c:\\brivant.res", drive_ / "brivant.res"},
      {"C:\\config.sys", drive_ / "config.sys"},
      {"c:\\..\\..\\escape", drive_ / "escape"},  // no climbing above a drive's root
      {"", disc_},
      {"d:\\setup.exe", "(none)"},  // only drive C: has a place on the host
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FullPath(c.name), c.expected.string());
  }
}

TEST_F(PathsTest, FullPathRefusesABufferTooSmall) {
  char small[4];
  errno = 0;
  EXPECT_EQ(_fullpath(small, "c:\\brivant.res", sizeof small), nullptr);
  EXPECT_EQ(errno, ERANGE);
}

TEST_F(PathsTest, TheCurrentDirectoryIsTheStartDirectory) {
  const std::string expected = disc_.string();
  char buffer[MAX_PATH];
  EXPECT_EQ(GetCurrentDirectoryA(MAX_PATH, buffer), expected.size());
  EXPECT_EQ(buffer, expected);
  char small[2] = {'x', '\0'};
  EXPECT_EQ(GetCurrentDirectoryA(sizeof small, small), expected.size() + 1)
      << "a buffer too small gets the size needed and is left alone";
  EXPECT_STREQ(small, "x");
}

TEST(DefaultSystemDriveTest, ComesFromTheEnvironmentAndNeverFromTheRoot) {
  struct Case {
    const char* what;
    std::map<std::string, std::string> environment;
    fs::path expected;
  };
  const Case cases[] = {
      {"chosen", {{"LUMARC_SYSTEM_DRIVE", "/x/c"}, {"HOME", "/h"}}, "/x/c"},
      {"XDG state", {{"XDG_STATE_HOME", "/s"}, {"HOME", "/h"}}, "/s/lumarc/system-drive"},
      {"home", {{"HOME", "/h"}}, "/h/.local/state/lumarc/system-drive"},
      {"empty values count as unset",
       {{"LUMARC_SYSTEM_DRIVE", ""}, {"XDG_STATE_HOME", ""}, {"HOME", "/h"}},
       "/h/.local/state/lumarc/system-drive"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto lookup = [&](const char* name) -> const char* {
      const auto found = c.environment.find(name);
      return found == c.environment.end() ? nullptr : found->second.c_str();
    };
    EXPECT_EQ(win32compat::DefaultSystemDrive(lookup), c.expected);
  }
}

}  // namespace
