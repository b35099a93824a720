// Starting programs, waiting for them and opening documents through the shell: how the layer
// finds a program, what it passes to it, and how its handles and failures behave.
#include <windows.h>

#include <shellapi.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "command_line.h"
#include "win32compat/headless_backend.h"
#include "win32compat/test_desktop.h"

namespace {

namespace fs = std::filesystem;
using testing::ElementsAre;
using testing::ElementsAreArray;

TEST(CommandLineTest, SplitsAsWindowsDoes) {
  struct Case {
    const char* line;
    const char* program;
    std::vector<std::string> arguments;
  };
  const Case cases[] = {
      {"setup.exe", "setup.exe", {}},
      {"  acrobat\\ar40eng.exe /s  x", "acrobat\\ar40eng.exe", {"/s", "x"}},
      {"\"c:\\my tools\\a.exe\" \"two words\" b", "c:\\my tools\\a.exe", {"two words", "b"}},
      {"p a\\\\\"b c\" d", "p", {"a\\b c", "d"}},
      {"p a\\\"b c\\d", "p", {"a\"b", "c\\d"}},
      {"p \"\" \"unclosed", "p", {"", "unclosed"}},
      {"\"unclosed program", "unclosed program", {}},
      {"", "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const win32compat::CommandLine split = win32compat::SplitCommandLine(c.line);
    EXPECT_EQ(split.program, c.program);
    EXPECT_THAT(split.arguments, ElementsAreArray(c.arguments));
  }
}

class ProcessesTest : public testing::Test {
 protected:
  ProcessesTest() : folder_(FreshFolder()), desktop_(Options(folder_)) {}
  ~ProcessesTest() override {
    EXPECT_EQ(win32compat::TestDesktop::OpenProcessHandles(), 0u);
    std::error_code error;
    fs::remove_all(folder_, error);
  }

  static fs::path FreshFolder() {
    static int runs = 0;
    const fs::path folder =
        fs::temp_directory_path() /
        ("win32compat_processes_" + std::to_string(::getpid()) + "_" + std::to_string(++runs));
    fs::remove_all(folder);
    fs::create_directories(folder / "tools");
    return folder;
  }
  static win32compat::DesktopOptions Options(const fs::path& folder) {
    win32compat::DesktopOptions options;
    options.current_directory = folder;
    options.system_drive = folder / "drive";
    return options;
  }

  // A program that writes its arguments, one a line, and the directory it runs in to `out`.
  void WriteProgram(const fs::path& relative) {
    const fs::path path = folder_ / relative;
    std::ofstream(path) << "#!/bin/sh\npwd > out\nfor a in \"$@\"; do echo \"$a\" >> out; done\n";
    fs::permissions(path, fs::perms::owner_all);
  }
  // What the program wrote to `out` in the folder it ran in.
  std::vector<std::string> Output(const fs::path& ran_in = {}) const {
    std::ifstream in(folder_ / ran_in / "out");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  // Starts a program and waits for it to end; the Windows error when it does not start.
  DWORD Run(const char* application, std::string command_line, DWORD* exit_code = nullptr) {
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    SetLastError(0);
    if (!CreateProcessA(application, command_line.empty() ? nullptr : command_line.data(), nullptr,
                        nullptr, TRUE, HIGH_PRIORITY_CLASS, nullptr, nullptr, &startup, &process)) {
      return GetLastError();
    }
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 10000), WAIT_OBJECT_0);
    if (exit_code) {
      EXPECT_TRUE(GetExitCodeProcess(process.hProcess, exit_code));
    }
    EXPECT_TRUE(CloseHandle(process.hThread));
    EXPECT_TRUE(CloseHandle(process.hProcess));
    return ERROR_SUCCESS;
  }

  fs::path folder_;
  win32compat::TestDesktop desktop_;
};

TEST_F(ProcessesTest, ACommandLineFindsItsProgramInTheCurrentDirectoryAndPassesTheArguments) {
  WriteProgram("tools/Setup.exe");
  EXPECT_EQ(Run(nullptr, "\"TOOLS\\setup.exe\" /q \"two words\""), ERROR_SUCCESS);
  EXPECT_THAT(Output(), ElementsAre(folder_.string(), "/q", "two words"));
}

TEST_F(ProcessesTest, ANameWithoutExtensionIsAlsoTriedWithExe) {
  WriteProgram("install.exe");
  EXPECT_EQ(Run(nullptr, "install a"), ERROR_SUCCESS);
  EXPECT_THAT(Output(), ElementsAre(folder_.string(), "a"));
  EXPECT_EQ(Run("install", ""), ERROR_SUCCESS);
}

TEST_F(ProcessesTest, ACommandLineSearchesPathButAnApplicationNameDoesNot) {
  DWORD exit_code = 0;
  EXPECT_EQ(Run(nullptr, "sh -c \"exit 3\"", &exit_code), ERROR_SUCCESS);
  EXPECT_EQ(exit_code, 3u);
  EXPECT_EQ(Run("sh", ""), DWORD{ERROR_FILE_NOT_FOUND});
  EXPECT_EQ(Run(nullptr, "missing.exe"), DWORD{ERROR_FILE_NOT_FOUND});
  EXPECT_EQ(Run(nullptr, "tools\\sh"), DWORD{ERROR_FILE_NOT_FOUND});
  EXPECT_EQ(Run("d:\\setup.exe", ""), DWORD{ERROR_FILE_NOT_FOUND});
}

TEST_F(ProcessesTest, WaitingTimesOutWhileTheProgramRunsAndFailsForOtherHandles) {
  char command[] = "sleep 5";
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &process));
  int waits_seen = 0;
  desktop_.WhileWaiting([&] { ++waits_seen; });
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 50), DWORD{WAIT_TIMEOUT});
  EXPECT_EQ(waits_seen, 1);
  DWORD exit_code = 0;
  EXPECT_TRUE(GetExitCodeProcess(process.hProcess, &exit_code));
  EXPECT_EQ(exit_code, DWORD{STILL_ACTIVE});
  EXPECT_EQ(win32compat::TestDesktop::OpenProcessHandles(), 2u);

  // Closed while it runs: the program is left running, its handles are gone.
  EXPECT_TRUE(CloseHandle(process.hThread));
  EXPECT_TRUE(CloseHandle(process.hProcess));
  EXPECT_FALSE(CloseHandle(process.hProcess));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 0), DWORD{WAIT_FAILED});
  EXPECT_EQ(::kill(static_cast<pid_t>(process.dwProcessId), 0), 0);
  ::kill(static_cast<pid_t>(process.dwProcessId), SIGKILL);
}

TEST_F(ProcessesTest, TheShellOpensExistingFilesWithKnownVerbsOnly) {
  std::ofstream(folder_ / "tools" / "manual.pdf") << "%PDF";
  struct Case {
    const char* verb;
    const char* file;
    const char* directory;
    INT_PTR result;  // above 32: opened
  };
  const std::string folder = folder_.string();
  const Case cases[] = {
      {"open", "tools\\MANUAL.PDF", nullptr, 42},
      {nullptr, "manual.pdf", "tools", 42},
      {"explore", folder.c_str(), folder.c_str(), 42},
      {"print", "tools\\manual.pdf", nullptr, SE_ERR_NOASSOC},
      {"open", "tools\\missing.pdf", nullptr, SE_ERR_FNF},
      {"open", "d:\\manual.pdf", nullptr, SE_ERR_FNF},
      {"explore", "tools\\manual.pdf", nullptr, SE_ERR_PNF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(nullptr, c.verb, c.file, nullptr, c.directory, SW_SHOWNORMAL));
    EXPECT_EQ(result > 32, c.result > 32) << result;
    if (c.result <= 32) {
      EXPECT_EQ(result, c.result);
    }
  }
  const auto& requests = desktop_.ShellRequests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].host_file, folder_ / "tools" / "manual.pdf");
  EXPECT_EQ(requests[1].verb, "open");
  EXPECT_EQ(requests[1].host_file, folder_ / "tools" / "manual.pdf");
  EXPECT_EQ(requests[2].verb, "explore");
}

TEST_F(ProcessesTest, ShellExecuteExChecksItsSizeAndReturnsNoProcess) {
  std::ofstream(folder_ / "manual.pdf") << "%PDF";
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  info.lpVerb = "open";
  info.lpFile = "manual.pdf";
  info.hProcess = reinterpret_cast<HANDLE>(1);
  EXPECT_TRUE(ShellExecuteExA(&info));
  EXPECT_EQ(info.hProcess, nullptr);
  EXPECT_GT(reinterpret_cast<INT_PTR>(info.hInstApp), 32);
  info.cbSize = 0;
  EXPECT_FALSE(ShellExecuteExA(&info));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_PARAMETER});
}

SHELLEXECUTEINFOA OpenThroughShell(const char* file, const char* parameters, const char* directory,
                                   ULONG mask) {
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof(info);
  info.fMask = mask;
  info.lpVerb = "open";
  info.lpFile = file;
  info.lpParameters = parameters;
  info.lpDirectory = directory;
  info.nShow = SW_SHOWNORMAL;
  return info;
}

// Windows opens a program by running it: in the call's directory, with the parameters, and with
// a process handle for the caller only when it asks to keep one.
TEST_F(ProcessesTest, TheShellRunsAProgramAndHandsOverItsProcessOnlyWhenAsked) {
  WriteProgram("tools/install.exe");
  SHELLEXECUTEINFOA info =
      OpenThroughShell("INSTALL.EXE", "/q \"two words\"", "tools", SEE_MASK_NOCLOSEPROCESS);
  ASSERT_TRUE(ShellExecuteExA(&info));
  ASSERT_NE(info.hProcess, nullptr);
  EXPECT_EQ(WaitForSingleObject(info.hProcess, 10000), WAIT_OBJECT_0);
  EXPECT_TRUE(CloseHandle(info.hProcess));
  EXPECT_THAT(Output("tools"), ElementsAre((folder_ / "tools").string(), "/q", "two words"));

  fs::remove(folder_ / "tools" / "out");
  info = OpenThroughShell("tools\\install.exe", nullptr, nullptr, 0);
  ASSERT_TRUE(ShellExecuteExA(&info));
  EXPECT_EQ(info.hProcess, nullptr);
  for (int i = 0; i < 500 && Output().empty(); ++i) ::usleep(10000);
  EXPECT_THAT(Output(), ElementsAre(folder_.string()));
  EXPECT_TRUE(desktop_.ShellRequests().empty());
  EXPECT_TRUE(desktop_.ElevationRequests().empty());
}

// A program that asks for administrator rights: CreateProcessA refuses it by any of its names,
// and only the shell starts it, once the user consents.
TEST_F(ProcessesTest, AProgramNeedingElevationStartsOnlyThroughTheShellWithConsent) {
  WriteProgram("tools/setup.exe");
  desktop_.RequireElevation(folder_ / "tools" / "setup.exe");
  EXPECT_EQ(Run(nullptr, "TOOLS\\SETUP.EXE /q"), DWORD{ERROR_ELEVATION_REQUIRED});
  EXPECT_EQ(Run("tools\\setup", ""), DWORD{ERROR_ELEVATION_REQUIRED});
  EXPECT_EQ(Run(nullptr, "sh -c \"exit 0\""), DWORD{ERROR_SUCCESS});
  EXPECT_TRUE(desktop_.ElevationRequests().empty());

  desktop_.DeclineElevation();
  SHELLEXECUTEINFOA info = OpenThroughShell("setup.exe", "/q", "tools", SEE_MASK_NOCLOSEPROCESS);
  SetLastError(0);
  EXPECT_FALSE(ShellExecuteExA(&info));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_CANCELLED});
  EXPECT_EQ(info.hProcess, nullptr);
  EXPECT_LE(reinterpret_cast<INT_PTR>(info.hInstApp), 32);
  EXPECT_TRUE(Output("tools").empty());

  ASSERT_TRUE(ShellExecuteExA(&info));
  ASSERT_NE(info.hProcess, nullptr);
  EXPECT_EQ(WaitForSingleObject(info.hProcess, 10000), WAIT_OBJECT_0);
  EXPECT_TRUE(CloseHandle(info.hProcess));
  EXPECT_THAT(Output("tools"), ElementsAre((folder_ / "tools").string(), "/q"));
  const auto& prompts = desktop_.ElevationRequests();
  ASSERT_EQ(prompts.size(), 2u);
  for (const win32compat::ShellRequest& prompt : prompts) {
    EXPECT_EQ(prompt.verb, "open");
    EXPECT_EQ(prompt.file, "setup.exe");
    EXPECT_EQ(prompt.directory, "tools");
    EXPECT_EQ(prompt.host_file, folder_ / "tools" / "setup.exe");
  }
}

// Without an opener on the desktop, nothing is associated with any file.
TEST(DesktopOpenerTest, MissingOpenerFails) {
  const char* path = std::getenv("PATH");
  const std::string saved = path ? path : "";
  ::setenv("PATH", "/nonexistent", 1);
  win32compat::HeadlessBackend backend(SIZE{640, 480});
  const bool opened = backend.Backend::OpenWithShell(
      win32compat::ShellRequest{"open", "manual.pdf", "", "/tmp/manual.pdf"});
  ::setenv("PATH", saved.c_str(), 1);
  EXPECT_FALSE(opened);
}

}  // namespace
