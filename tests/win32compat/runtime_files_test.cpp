// The runtime library's fopen as a Windows program meets it through the layer: a directory is
// not a file, whatever the mode.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

TEST(RuntimeFilesTest, FopenRefusesADirectoryAsWindowsDoesAndOpensFiles) {
  const fs::path root =
      fs::temp_directory_path() / ("win32compat_runtime_files_" + std::to_string(::getpid()));
  fs::create_directories(root / "brivant.res");
  std::ofstream(root / "file.txt") << "text";
  struct Case {
    const char* name;
    const char* mode;
    bool opens;
  };
  for (const Case& c : {Case{"brivant.res", "r", false}, Case{"brivant.res", "rb", false},
                        Case{"brivant.res", "w", false}, Case{"file.txt", "r", true},
                        Case{"file.txt", "rb", true}}) {
    SCOPED_TRACE(std::string(c.name) + " " + c.mode);
    errno = 0;
    std::FILE* file = std::fopen((root / c.name).c_str(), c.mode);
    EXPECT_EQ(file != nullptr, c.opens);
    if (file) {
      std::fclose(file);
    } else {
      EXPECT_EQ(errno, EACCES);
    }
  }
  EXPECT_TRUE(fs::is_directory(root / "brivant.res"));
  fs::remove_all(root);
}

}  // namespace
