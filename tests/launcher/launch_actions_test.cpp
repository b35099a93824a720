// The menu's buttons that hand work to the system, run whole on the headless desktop from a
// copy of the sample disc: programs really start (the disc's stand-ins), documents and folders
// are recorded by the desktop instead of opened.
#include <windows.h>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "elevated_start.h"
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
constexpr char kReader[] = "acrobat\\ar40eng.exe";

// A Windows name relative to the disc, as a host path.
fs::path OnHost(std::string windows_name) {
  std::replace(windows_name.begin(), windows_name.end(), '\\', '/');
  return windows_name;
}

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

// A button that starts a program from the disc, and what the menu must do with it: wait for the
// program with the wait cursor, throw away the clicks made meanwhile, and answer again after it.
// A program that asks for administrator rights is started through the shell, once the user
// consents, and waited for alike.
struct ProgramCase {
  const char* name;
  std::vector<POINT> clicks;  // from the welcome page; the last one starts the program
  bool reader_installer_missing;
  const char* needs_elevation;       // the program that asks for administrator rights, or ""
  bool consent;                      // the user's answer when asked to elevate it
  const char* started;               // the stand-in that noted it ran; empty: none ran
  const char* cursor_while_waiting;  // empty: the menu never waited
  double min_wait;
  double max_wait;
};

void PrintTo(const ProgramCase& c, std::ostream* out) {
  *out << c.name;
}

class ProgramLaunchTest : public LaunchActionsTest,
                          public testing::WithParamInterface<ProgramCase> {};

TEST_P(ProgramLaunchTest, TheMenuWaitsForTheProgramAndLosesTheClicksMadeMeanwhile) {
  const ProgramCase& expected = GetParam();
  if (expected.reader_installer_missing) fs::remove_all(run_.StartDirectory() / "acrobat");
  const std::string elevated = expected.needs_elevation;
  if (!elevated.empty()) {
    run_.desktop().RequireElevation(run_.StartDirectory() / OnHost(elevated));
    if (!expected.consent) run_.desktop().DeclineElevation();
  }
  std::string cursor_while_waiting;
  run_.desktop().WhileWaiting([&] { cursor_while_waiting = run_.CursorShown(); });
  // Not lost, this click would go on from the install page to the farewell page, where Help is
  // no button.
  ClickWhileWaiting(kInstallNext);
  for (std::size_t i = 0; i + 1 < expected.clicks.size(); ++i) {
    run_.Then([this, at = expected.clicks[i]] { Click(at); });
  }
  AfterLaunch seen;
  ClickThenHelp(expected.clicks.back(), seen);
  run_.Start();

  EXPECT_EQ(ActionLog(), *expected.started ? Started(expected.started) : "");
  EXPECT_EQ(cursor_while_waiting, expected.cursor_while_waiting);
  EXPECT_GE(seen.waited, expected.min_wait);
  EXPECT_LT(seen.waited, expected.max_wait);
  EXPECT_EQ(seen.title_after, "Help");
  EXPECT_TRUE(run_.desktop().MessageBoxes().empty());
  // The shell's request: the program as the button names it, in the menu's start directory.
  const auto& prompts = run_.desktop().ElevationRequests();
  ASSERT_EQ(prompts.size(), elevated.empty() ? 0u : 1u);
  if (!elevated.empty()) {
    EXPECT_EQ(prompts[0].verb, "open");
    EXPECT_EQ(prompts[0].file, elevated);
    EXPECT_EQ(prompts[0].directory, run_.StartDirectory().string());
  }
}

// The reader's installer moves the menu on to the install page, which is where Help is found
// afterwards; a missing installer, or one the user declines to elevate, moves it on at once,
// without a message.
INSTANTIATE_TEST_SUITE_P(
    Buttons, ProgramLaunchTest,
    testing::Values(
        ProgramCase{"Setup", {kNext, kSetup}, false, "", true, "setup.exe", "IDC_WAIT", 0.9, 5.0},
        ProgramCase{
            "ReaderInstaller", {kReaderInstaller}, false, "", true, kReader, "IDC_WAIT", 0.9, 5.0},
        ProgramCase{"MissingReaderInstaller", {kReaderInstaller}, true, "", true, "", "", 0.0, 0.5},
        ProgramCase{"ElevatedSetup",
                    {kNext, kSetup},
                    false,
                    "setup.exe",
                    true,
                    "setup.exe",
                    "IDC_WAIT",
                    0.9,
                    5.0},
        ProgramCase{"ElevatedReaderInstaller",
                    {kReaderInstaller},
                    false,
                    kReader,
                    true,
                    kReader,
                    "IDC_WAIT",
                    0.9,
                    5.0},
        ProgramCase{"SetupDeclined", {kNext, kSetup}, false, "setup.exe", false, "", "", 0.0, 0.5},
        ProgramCase{"ReaderInstallerDeclined",
                    {kReaderInstaller},
                    false,
                    kReader,
                    false,
                    "",
                    "",
                    0.0,
                    0.5}),
    [](const testing::TestParamInfo<ProgramCase>& info) { return info.param.name; });

// Enter clicks the focused button as the mouse does, and the keys pressed while the started
// program runs are lost as the clicks are. Kept, the Enter would click the button the focus
// moves on to with the page, the product's setup.
TEST_F(LaunchActionsTest, EnterWaitsForTheProgramAndLosesTheKeysPressedMeanwhile) {
  run_.desktop().WhileWaiting([this] { run_.desktop().PressKeys({VK_RETURN}); });
  run_.Then([this] { run_.desktop().PressKeys({VK_TAB}); });  // the reader's installer
  run_.Then([this] { run_.desktop().PressKeys({VK_RETURN}); });
  std::string started_by_then;
  run_.Then([&] {
    started_by_then = ActionLog();
    run_.desktop().PressKeys({VK_RETURN});  // the install page's first button: setup
  });
  run_.Start();

  EXPECT_EQ(started_by_then, Started("acrobat\\ar40eng.exe"));
  EXPECT_EQ(ActionLog(), Started("acrobat\\ar40eng.exe") + Started("setup.exe"));
}

// A button that hands a document or folder to the shell: the request, the wait cursor until the
// mouse moves, and the page the menu stays on.
struct ShellCase {
  const char* name;
  std::vector<POINT> clicks;  // from the welcome page; the last one hands the work over
  const char* verb;
  // The file and directory of the request, and the host file they lead to.
  std::function<std::array<fs::path, 3>(const fs::path& start)> request;
  const char* title;
};

void PrintTo(const ShellCase& c, std::ostream* out) {
  *out << c.name;
}

class ShellActionTest : public LaunchActionsTest, public testing::WithParamInterface<ShellCase> {};

TEST_P(ShellActionTest, TheShellGetsTheRequestAndTheMenuStaysOnThePage) {
  const ShellCase& expected = GetParam();
  for (POINT at : expected.clicks) run_.Then([this, at] { Click(at); });
  std::string cursor_after_click;
  std::string cursor_after_move;
  std::string title_after;
  run_.Then([&] {
    cursor_after_click = run_.CursorShown();
    title_after = run_.Title();
    run_.PointAt(kEmptySpot.x, kEmptySpot.y);
  });
  run_.Then([&] { cursor_after_move = run_.CursorShown(); });
  run_.Start();

  const auto& requests = run_.desktop().ShellRequests();
  ASSERT_EQ(requests.size(), 1u);
  const auto [file, directory, host_file] = expected.request(run_.StartDirectory());
  EXPECT_EQ(requests[0].verb, expected.verb);
  EXPECT_EQ(requests[0].file, file.string());
  EXPECT_EQ(requests[0].directory, directory.string());
  EXPECT_EQ(requests[0].host_file, host_file);
  EXPECT_EQ(cursor_after_click, "IDC_WAIT");
  EXPECT_EQ(cursor_after_move, "IDC_ARROW");
  EXPECT_EQ(title_after, expected.title);
  EXPECT_TRUE(run_.desktop().MessageBoxes().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, ShellActionTest,
    testing::Values(
        ShellCase{"Manual",
                  {kNext, kManual},
                  "open",
                  [](const fs::path& start) {
                    return std::array<fs::path, 3>{"manual.pdf", "", start / "manual.pdf"};
                  },
                  kWelcome},
        ShellCase{"Explore",
                  {kNext, kHelp, kExplore},
                  "explore",
                  [](const fs::path& start) {
                    return std::array<fs::path, 3>{start, start, start};
                  },
                  "Help"}),
    [](const testing::TestParamInfo<ShellCase>& info) { return info.param.name; });

// The shell is handed a command line's program apart from its parameters, as CreateProcessA
// would have taken them apart.
TEST(SplitProgramFromParametersTest, TakesTheProgramAsCreateProcessDoes) {
  struct Case {
    const char* command_line;
    const char* program;
    const char* parameters;
  };
  const Case cases[] = {
      {"setup.exe", "setup.exe", ""},
      {"  acrobat\\ar40eng.exe /s  x ", "acrobat\\ar40eng.exe", "/s  x "},
      {"\"c:\\my tools\\a.exe\"\t\"two words\" b", "c:\\my tools\\a.exe", "\"two words\" b"},
      {"\"unclosed program", "unclosed program", ""},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command_line);
    const ProgramAndParameters split = SplitProgramFromParameters(c.command_line);
    EXPECT_EQ(split.program, c.program);
    EXPECT_EQ(split.parameters, c.parameters);
  }
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
