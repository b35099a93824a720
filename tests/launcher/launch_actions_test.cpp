// The menu's buttons that hand work to the system, run whole on the headless desktop from a
// copy of the sample disc: programs really start (the disc's stand-ins), documents and folders
// are recorded by the desktop instead of opened.
#include <windows.h>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "menu_run.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Client points of the large layout's buttons.
constexpr POINT kReaderInstaller{335, 550};  // welcome page
constexpr POINT kNext{460, 550};             // welcome page
constexpr POINT kSetup{150, 550};            // install page
constexpr POINT kManual{390, 550};           // install page
constexpr POINT kHelp{590, 550};             // install page
constexpr POINT kInstallNext{690, 550};      // install page
constexpr POINT kExplore{85, 560};           // help page
constexpr POINT kEmptySpot{400, 300};

constexpr char kWelcome[] = "Welcome to TAVO setup";
constexpr char kFarewell[] = "YOU'VE MADE THE BRIVANT CHOICE";

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

class LaunchActionsTest : public testing::Test {
 protected:
  void SetUp() override {
    fs::copy(LUMARC_LAUNCH_DISC_DIR, run_.StartDirectory(),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    action_log_ = run_.StartDirectory().parent_path() / "actions.log";
    ::setenv("LUMARC_ACTION_LOG", action_log_.c_str(), 1);
    // The stand-ins stay off any display and run a known time, as a slow installer would.
    ::setenv("LUMARC_BACKEND", "headless", 1);
    ::setenv("LUMARC_STAND_IN_SECONDS", "1", 1);
  }
  void TearDown() override {
    ::unsetenv("LUMARC_ACTION_LOG");
    ::unsetenv("LUMARC_BACKEND");
    ::unsetenv("LUMARC_STAND_IN_SECONDS");
    EXPECT_EQ(win32compat::TestDesktop::OpenProcessHandles(), 0u);
  }

  void Click(POINT at) { run_.ClickAt(at.x, at.y); }
  // The user's click, made while the menu waits for a program: the move and the press each
  // take a wait.
  void ClickWhileWaiting(POINT at) {
    run_.desktop().WhileWaiting([this, at] { run_.PointAt(at.x, at.y); });
    run_.desktop().WhileWaiting([this, at] { run_.ClickAt(at.x, at.y); });
  }
  // What the menu did after a click on a launching button: the seconds until it next looked at
  // the user (NaN if it never did), and the title once Help was clicked then.
  struct AfterLaunch {
    double waited = std::numeric_limits<double>::quiet_NaN();
    std::string title_after;
  };
  // Schedules a click on `button` and, at the menu's next look at the user, one on Help.
  void ClickThenHelp(POINT button, AfterLaunch& seen) {
    auto clicked = std::make_shared<Clock::time_point>();
    run_.Then([this, button, clicked] {
      *clicked = Clock::now();
      Click(button);
    });
    run_.Then([this, &seen, clicked] {
      seen.waited = SecondsSince(*clicked);
      Click(kHelp);
    });
    run_.Then([this, &seen] { seen.title_after = run_.Title(); });
  }
  // The action log's line for a program started in the disc's folder.
  std::string Started(const std::string& command) const {
    return command + "\t" + run_.StartDirectory().string() + "\n";
  }
  std::string ActionLog() const {
    std::ifstream log(action_log_);
    std::stringstream text;
    text << log.rdbuf();
    return text.str();
  }

  MenuRun run_{SIZE{1024, 768}};
  fs::path action_log_;
};

TEST_F(LaunchActionsTest, SetupRunsWhileTheMenuWaitsAndLosesItsClicks) {
  Clock::time_point clicked;
  double waited = 0;
  std::string cursor_while_waiting;
  std::string title_after;
  run_.Then([&] { Click(kNext); });
  run_.Then([&] {
    clicked = Clock::now();
    Click(kSetup);
  });
  run_.desktop().WhileWaiting([&] { cursor_while_waiting = run_.CursorShown(); });
  ClickWhileWaiting(kInstallNext);
  run_.Then([&] {
    waited = SecondsSince(clicked);
    Click(kHelp);
  });
  run_.Then([&] { title_after = run_.Title(); });
  run_.Start();

  EXPECT_EQ(ActionLog(), Started("setup.exe"));
  EXPECT_EQ(cursor_while_waiting, "IDC_WAIT");
  EXPECT_GE(waited, 0.9);
  EXPECT_LT(waited, 5.0);
  // The lost click would have left the install page for the farewell page.
  EXPECT_EQ(title_after, "Help");
  EXPECT_TRUE(run_.desktop().MessageBoxes().empty());
}

TEST_F(LaunchActionsTest, ReaderInstallerRunsThenTheMenuMovesOn) {
  AfterLaunch seen;
  ClickThenHelp(kReaderInstaller, seen);
  run_.Start();

  EXPECT_EQ(ActionLog(), Started("acrobat\\ar40eng.exe"));
  EXPECT_GE(seen.waited, 0.9);
  EXPECT_EQ(seen.title_after, "Help");
}

TEST_F(LaunchActionsTest, MissingReaderInstallerMovesOnAtOnceWithoutAMessage) {
  fs::remove_all(run_.StartDirectory() / "acrobat");
  AfterLaunch seen;
  ClickThenHelp(kReaderInstaller, seen);
  run_.Start();

  EXPECT_EQ(ActionLog(), "");
  EXPECT_LT(seen.waited, 0.5);
  EXPECT_EQ(seen.title_after, "Help");
  EXPECT_TRUE(run_.desktop().MessageBoxes().empty());
}

TEST_F(LaunchActionsTest, ManualOpensThroughTheShellAndTheWaitCursorStaysUntilTheMouseMoves) {
  std::string cursor_after_click;
  std::string cursor_after_move;
  std::string title_after;
  run_.Then([&] { Click(kNext); });
  run_.Then([&] { Click(kManual); });
  run_.Then([&] {
    cursor_after_click = run_.CursorShown();
    run_.PointAt(kEmptySpot.x, kEmptySpot.y);
  });
  run_.Then([&] {
    cursor_after_move = run_.CursorShown();
    Click(kHelp);
  });
  run_.Then([&] { title_after = run_.Title(); });
  run_.Start();

  const auto& requests = run_.desktop().ShellRequests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].verb, "open");
  EXPECT_EQ(requests[0].file, "manual.pdf");
  EXPECT_EQ(requests[0].directory, "");
  EXPECT_EQ(requests[0].host_file, run_.StartDirectory() / "manual.pdf");
  EXPECT_EQ(cursor_after_click, "IDC_WAIT");
  EXPECT_EQ(cursor_after_move, "IDC_ARROW");
  EXPECT_EQ(title_after, "Help");
}

TEST_F(LaunchActionsTest, ExploreOpensTheStartDirectoryAndStaysOnThePage) {
  std::string title_after;
  std::string cursor_after;
  run_.Then([&] { Click(kNext); });
  run_.Then([&] { Click(kHelp); });
  run_.Then([&] { Click(kExplore); });
  run_.Then([&] {
    title_after = run_.Title();
    cursor_after = run_.CursorShown();
  });
  run_.Start();

  const auto& requests = run_.desktop().ShellRequests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].verb, "explore");
  EXPECT_EQ(requests[0].file, run_.StartDirectory().string());
  EXPECT_EQ(requests[0].directory, run_.StartDirectory().string());
  EXPECT_EQ(title_after, "Help");
  EXPECT_EQ(cursor_after, "IDC_WAIT");
}

// A program still running after sixty waits of a tenth of a second is left running.
TEST_F(LaunchActionsTest, ProgramThatDoesNotEndIsLeftRunningAfterSixtyWaits) {
  const fs::path pid_file = run_.StartDirectory().parent_path() / "setup.pid";
  {
    std::ofstream setup(run_.StartDirectory() / "setup.exe", std::ios::trunc);
    setup << "#!/bin/sh\necho $$ > '" << pid_file.string() << "'\nexec sleep 30\n";
  }
  int waits = 0;
  for (int i = 0; i < 80; ++i) run_.desktop().WhileWaiting([&] { ++waits; });
  AfterLaunch seen;
  run_.Then([&] { Click(kNext); });
  ClickThenHelp(kSetup, seen);
  run_.Start();

  EXPECT_EQ(waits, 60);
  EXPECT_GE(seen.waited, 5.9);
  EXPECT_EQ(seen.title_after, "Help");
  pid_t pid = 0;
  std::ifstream(pid_file) >> pid;
  ASSERT_GT(pid, 0);
  EXPECT_EQ(::kill(pid, 0), 0) << "the program should still run";
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
}

}  // namespace
