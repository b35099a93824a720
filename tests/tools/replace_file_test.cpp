#include "replace_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<std::string> Names(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

class ReplaceFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("replace_file_test_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    target_ = dir_ / "picture.bmp";
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path dir_, target_;
};

// Two runs replacing the same file at once, one starting while the other is still writing:
// each writes its own temporary file, both complete, and the last to finish wins whole.
TEST_F(ReplaceFileTest, TwoRunsAtOnceDoNotShareATemporaryFile) {
  Lumarc::Tools::ReplaceFile(target_, [&](std::ostream& out) {
    out << "first half of the slow run, ";
    Lumarc::Tools::ReplaceFile(target_, [](std::ostream& quick) { quick << "the quick run"; });
    out << "second half";
  });
  EXPECT_EQ(ReadAll(target_), "first half of the slow run, second half");
  EXPECT_EQ(Names(dir_), std::vector<std::string>{"picture.bmp"});
}

TEST_F(ReplaceFileTest, TheCheckSeesTheWholeFileAndARefusalChangesNothing) {
  std::ofstream(target_) << "earlier";
  fs::permissions(target_, fs::perms::owner_read | fs::perms::owner_write);

  std::string seen;
  EXPECT_THROW(Lumarc::Tools::ReplaceFile(
                   target_, [](std::ostream& out) { out << "new contents"; },
                   [&](const fs::path& written) {
                     seen = ReadAll(written);
                     throw std::runtime_error("refused");
                   }),
               std::runtime_error);
  EXPECT_EQ(seen, "new contents");
  EXPECT_EQ(ReadAll(target_), "earlier");
  EXPECT_EQ(Names(dir_), std::vector<std::string>{"picture.bmp"});

  Lumarc::Tools::ReplaceFile(
      target_, [](std::ostream& out) { out << "new contents"; }, [](const fs::path&) {});
  EXPECT_EQ(ReadAll(target_), "new contents");
  EXPECT_EQ(fs::status(target_).permissions(), fs::perms::owner_read | fs::perms::owner_write)
      << "a replaced file keeps its permissions";
}

// A signal that arrives while the new contents are being written removes the temporary file and
// ends the program as that signal would have, leaving the earlier file as it was.
TEST_F(ReplaceFileTest, AnInterruptedWriteLeavesNoTemporaryFile) {
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(::strsignal(signal_number));
    std::ofstream(target_) << "earlier";
    EXPECT_EXIT(Lumarc::Tools::ReplaceFile(target_,
                                           [&](std::ostream& out) {
                                             out << "half of the new contents";
                                             out.flush();
                                             ::raise(signal_number);
                                             out << ", the other half";
                                           }),
                ::testing::KilledBySignal(signal_number), "");
    EXPECT_EQ(ReadAll(target_), "earlier");
    EXPECT_EQ(Names(dir_), std::vector<std::string>{"picture.bmp"});
  }
}

// Started under nohup, a tool must not die of the hang-up it was told to ignore.
TEST_F(ReplaceFileTest, AnIgnoredSignalStaysIgnored) {
  EXPECT_EXIT(
      {
        ::signal(SIGHUP, SIG_IGN);
        Lumarc::Tools::ReplaceFile(target_, [](std::ostream& out) {
          out << "half, ";
          ::raise(SIGHUP);
          out << "whole";
        });
        std::exit(ReadAll(target_) == "half, whole" ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

// A name as long as the file system allows still leaves room for the temporary file's name.
TEST_F(ReplaceFileTest, TheLongestNameCanBeReplaced) {
  const fs::path longest = dir_ / std::string(255, 'n');
  for (const char* contents : {"first", "second"}) {
    fs::path written;
    Lumarc::Tools::ReplaceFile(
        longest, [&](std::ostream& out) { out << contents; },
        [&](const fs::path& path) { written = path; });
    EXPECT_EQ(written.parent_path(), dir_);
    EXPECT_EQ(ReadAll(longest), contents);
  }
  EXPECT_EQ(Names(dir_), std::vector<std::string>{longest.filename().string()});
}

}  // namespace
