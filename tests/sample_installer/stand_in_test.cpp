// The installer stand-ins: what a person sees when an install button starts one, and what a test
// learns and controls through the environment (action_log.h, run_time.h).
#include <windows.h>

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "win32compat/test_desktop.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const fs::path kDisc = LUMARC_STAGED_DISC;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class StandInTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("stand_in_test_" + std::to_string(::getpid()));
    fs::create_directories(folder_);
    log_ = folder_ / "actions.log";
  }
  void TearDown() override { fs::remove_all(folder_); }

  // Runs `program` of the staged disc in `folder_`, headless, with the log and `environment`
  // (VARIABLE=value words); returns its exit status.
  int Run(const std::string& program, const std::string& arguments,
          const std::string& environment = "") {
    const std::string command = "cd '" + folder_.string() + "' && env -u DISPLAY -u " +
                                "WAYLAND_DISPLAY LUMARC_BACKEND=headless LUMARC_ACTION_LOG='" +
                                log_.string() + "' " + environment + " '" +
                                (kDisc / program).string() + "' " + arguments +
                                " 2>'" + (folder_ / "stderr").string() + "'";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  fs::path folder_;
  fs::path log_;
};

TEST_F(StandInTest, ShowsWhatARealDiscWouldInstallAndEndsWhenTheBoxIsClosed) {
  ::setenv("LUMARC_ACTION_LOG", log_.c_str(), 1);
  win32compat::DesktopOptions options;
  options.current_directory = folder_;
  win32compat::TestDesktop desktop(options);
  char command_line[] = "/q";
  const int status = WinMain(desktop.ProgramInstance(), nullptr, command_line, SW_SHOWNORMAL);
  ::unsetenv("LUMARC_ACTION_LOG");

  EXPECT_EQ(status, 0);
  ASSERT_EQ(desktop.MessageBoxes().size(), 1u);
  const auto& box = desktop.MessageBoxes()[0].request;
  EXPECT_EQ(box.owner, nullptr);
  EXPECT_EQ(box.caption, "TAVO Setup");
  EXPECT_EQ(box.style, MB_OK | MB_ICONINFORMATION);
  EXPECT_NE(box.text.find("A real disc would install TAVO here."), std::string::npos);
  EXPECT_NE(box.text.find("sample disc"), std::string::npos);
  EXPECT_EQ(ReadText(log_), "setup.exe /q\t" + folder_.string() + "\n");
}

// Also what a stand-in killed while its box is up goes through: the box comes back unanswered.
TEST_F(StandInTest, SayWhatTheBoxWouldHaveShownOnceWhenItFails) {
  win32compat::DesktopOptions options;
  options.current_directory = folder_;
  win32compat::TestDesktop desktop(options);
  desktop.FailMessageBox();
  char command_line[] = "";
  testing::internal::CaptureStderr();
  const int status = WinMain(desktop.ProgramInstance(), nullptr, command_line, SW_SHOWNORMAL);
  const std::string said = testing::internal::GetCapturedStderr();

  EXPECT_EQ(status, 1);
  const std::string message = "TAVO Setup: A real disc would install TAVO here.";
  const std::size_t first = said.find(message);
  ASSERT_NE(first, std::string::npos) << said;
  EXPECT_EQ(said.find(message, first + 1), std::string::npos) << said;
}

TEST_F(StandInTest, RecordHowTheMenuStartedThemWithTheirWorkingDirectory) {
  EXPECT_EQ(Run("setup.exe", ""), 0);
  // The arguments come back as one Windows command line that splits into the same words.
  EXPECT_EQ(Run("acrobat/ar40eng.exe", R"(/q 'two words' 'say "hi"' 'C:\my dir\')"), 0);

  EXPECT_EQ(ReadText(log_), "setup.exe\t" + folder_.string() + "\n" +
                                R"(acrobat\ar40eng.exe /q "two words" "say \"hi\"" "C:\my dir\\")" +
                                "\t" + folder_.string() + "\n");
}

TEST_F(StandInTest, RunForTheTimeTheyAreGivenThoughTheBoxIsAnsweredAtOnce) {
  const auto start = Clock::now();
  EXPECT_EQ(Run("setup.exe", "", "LUMARC_STAND_IN_SECONDS=0.4"), 0);
  EXPECT_GE(std::chrono::duration<double>(Clock::now() - start).count(), 0.4);
}

TEST_F(StandInTest, RefuseATimeThatIsNotOneAndStartNothing) {
  for (const char* value : {"soon", "1s", "-1", "3601", "inf", "nan", "0x"}) {
    EXPECT_EQ(Run("setup.exe", "", std::string("LUMARC_STAND_IN_SECONDS=") + value), 2) << value;
    EXPECT_NE(ReadText(folder_ / "stderr").find("LUMARC_STAND_IN_SECONDS"), std::string::npos)
        << value;
  }
  EXPECT_FALSE(fs::exists(log_));
}

TEST_F(StandInTest, ReportALogThatCannotBeWritten) {
  log_ = folder_ / "missing" / "actions.log";
  EXPECT_EQ(Run("setup.exe", ""), 1);
  EXPECT_NE(ReadText(folder_ / "stderr").find("cannot append to the action log"),
            std::string::npos);
}

}  // namespace
