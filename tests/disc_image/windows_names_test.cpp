// File names as Windows sees them on the disc, and the folder walk that applies the rules.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include <unistd.h>

#include "disc_checks.h"
#include "windows_names.h"

namespace {

namespace fs = std::filesystem;
using namespace Lumarc::Tools;

TEST(WindowsNames, RefuseWhatWindowsCannotUseFromADisc) {
  const struct {
    std::string name;
    const char* refusal;  // a piece of the reason, or null when the name is fine
  } cases[] = {
      {"setup.exe", nullptr},
      {std::string(64, 'a'), nullptr},
      {"\xc3\xa9t\xc3\xa9.txt", nullptr},  // 7 characters in 9 bytes
      {std::string(65, 'a'), "has 65 characters"},
      // A character beyond the BMP takes two UTF-16 units of Joliet's 64.
      {std::string(63, 'a') + "\xf0\x9f\x92\xbf", "has 65 characters"},
      {"bad\xff.txt", "not UTF-8"},
      {"over\xc0\xaflong", "not UTF-8"},
      {"a:b", "does not allow"},
      {"a;1", "does not allow"},
      {"what?", "does not allow"},
      {"tab\there", "does not allow"},
      {"readme.", "ends in a dot"},
      {"readme ", "ends in a dot or a space"},
      {"CON", "device con"},
      {"nul.txt", "device nul"},
      {"Lpt9.dat", "device lpt9"},
      {"console.txt", nullptr},
      {"com10", nullptr},
  };
  for (const auto& c : cases) {
    const std::optional<std::string> problem = NameProblem(c.name);
    if (c.refusal == nullptr) {
      EXPECT_EQ(problem, std::nullopt) << c.name;
    } else {
      ASSERT_TRUE(problem.has_value()) << c.name;
      EXPECT_NE(problem->find(c.refusal), std::string::npos) << c.name << ": " << *problem;
    }
  }
}

class DiscFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("windows_names_test_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_ / "Acrobat");
  }
  void TearDown() override { fs::remove_all(root_); }

  void Add(const fs::path& file) { std::ofstream(root_ / file) << "x"; }

  fs::path root_;
};

TEST_F(DiscFolder, FindsFilesAsWindowsDoesWhateverTheirCase) {
  Add("Acrobat/AR40ENG.exe");
  EXPECT_EQ(FindOnDisc(root_, "acrobat\\ar40eng.exe"), root_ / "Acrobat/AR40ENG.exe");
  EXPECT_EQ(FindOnDisc(root_, "ACROBAT/ar40eng.EXE"), root_ / "Acrobat/AR40ENG.exe");
  EXPECT_EQ(FindOnDisc(root_, "acrobat\\setup.exe"), std::nullopt);
  EXPECT_EQ(FindOnDisc(root_, "acrobat\\ar40eng.exe\\more"), std::nullopt);
}

TEST_F(DiscFolder, RefusesCaseTwinsLinksToNothingAndPathsTooLongToOpen) {
  Add("Acrobat/Reader.txt");
  Add("Acrobat/READER.TXT");
  Add(".hidden:name");  // left off the disc, so never looked at
  fs::create_symlink(root_ / "nowhere", root_ / "link");
  fs::path deep = root_;
  for (int level = 0; level < 5; ++level) deep /= std::string(60, 'd');
  fs::create_directories(deep);

  const std::vector<Refusal> refusals = CheckNames(root_);
  ASSERT_EQ(refusals.size(), 3u);
  EXPECT_EQ(refusals[0].file, root_ / "Acrobat/Reader.txt");
  EXPECT_EQ(refusals[0].reason, "Windows, which ignores case in names, takes it for READER.TXT");
  // The fifth folder makes the path 304 characters long; the first four are still fine.
  EXPECT_EQ(refusals[1].file, deep);
  EXPECT_NE(refusals[1].reason.find("304 characters"), std::string::npos);
  EXPECT_EQ(refusals[2].file, root_ / "link");
  EXPECT_EQ(refusals[2].reason, "a link to nothing");
}

}  // namespace
