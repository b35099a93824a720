// The backup and restore of the start-up files, and the pictures, when the files misbehave: a
// system drive folder that is missing, not a folder or read-only, disc files that are missing or
// cannot be read, and copies that fail half-way. The machine's own start-up files must survive
// every one, no failure may be reported as done, and the menu must go on working.
//
// Tests run as root, whom permission bits do not stop: a read-only drive is tested with the
// process's effective user switched to an unprivileged one for the faulty step, and a copy that
// fails half-way with a file-size limit, under which a write past the limit fails with EFBIG.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "launcher_app.h"
#include "menu_run.h"
#include "sample_disc.h"
#include "startup_files.h"

namespace {

namespace fs = std::filesystem;
using namespace startup_files;

// The disc's start-up files are 178 and 185 bytes, its marker 65: a copy under this limit
// writes the marker whole and stops each start-up file a little past its middle.
constexpr rlim_t kHalfWayBytes = 100;
constexpr uid_t kNobody = 65534;

// Every entry of a folder by name with its contents; a folder shows as "(folder)" and anything
// else that is not a file (a pipe) as "(other)". A drive path that is not a folder shows as one
// entry, "(not a folder)", holding its contents.
Files FolderFiles(const fs::path& folder) {
  if (!fs::is_directory(folder)) {
    return fs::exists(folder) ? Files{{"(not a folder)", Contents(folder)}} : Files{};
  }
  Files files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    std::string& contents = files[entry.path().filename().string()];
    if (entry.is_directory()) {
      contents = "(folder)";
    } else if (entry.is_regular_file()) {
      contents = Contents(entry.path());
    } else {
      contents = "(other)";
    }
  }
  return files;
}

// For the length of one step, the process acts as an unprivileged user, to whom permission bits
// apply. Without root it already is one.
class AsUnprivilegedUser {
 public:
  AsUnprivilegedUser() : was_root_(::geteuid() == 0) {
    if (was_root_) {
      EXPECT_EQ(::seteuid(kNobody), 0);
    }
  }
  ~AsUnprivilegedUser() {
    if (was_root_) {
      EXPECT_EQ(::seteuid(0), 0);
    }
  }
  AsUnprivilegedUser(const AsUnprivilegedUser&) = delete;
  AsUnprivilegedUser& operator=(const AsUnprivilegedUser&) = delete;

 private:
  bool was_root_;
};

// For the length of one step, no file can grow past `bytes`; the signal that would end the
// process is ignored, so the write that crosses the limit fails instead.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) : previous_handler_(std::signal(SIGXFSZ, SIG_IGN)) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previous_handler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit saved_{};
  void (*previous_handler_)(int);
};

enum class Fault { kNone, kUnprivileged, kHalfWay };

LauncherApp& App(MenuRun& run) {
  return *reinterpret_cast<LauncherApp*>(GetWindowLongPtrA(run.MainWindow().value().handle, 0));
}

struct FaultCase {
  const char* what;
  Files drive_before;  // "disc:NAME" stands for the disc's file NAME
  // Changes the disc and the drive folder after they are filled, before the menu starts.
  std::function<void(const fs::path& disc, const fs::path& drive)> prepare;
  Fault fault;
  void (LauncherApp::*action)();
  Files drive_after;
  std::vector<std::string> boxes;
};

struct Seen {
  Files drive;
  std::vector<std::string> boxes;
  std::string title_after;  // after the action, one page on and back to the help page
  long help_differing = -1;
};

// Runs the action on the help page, then leaves the page and comes back to it.
Seen RunFaultCase(const FaultCase& c) {
  MenuRun run({1024, 768});
  CopySampleDisc(run.StartDirectory());
  const fs::path drive = HostFile("c:\\brivant.res").parent_path();
  for (const auto& [name, contents] : c.drive_before) {
    std::ofstream(drive / name, std::ios::binary)
        << (contents.starts_with("disc:") ? Contents(run.StartDirectory() / (contents.c_str() + 5))
                                          : contents);
  }
  if (c.prepare) c.prepare(run.StartDirectory(), drive);
  const Files disc_before = FolderFiles(run.StartDirectory());
  Seen seen;
  run.Then([&] { run.ClickAt(460, 550); });  // Next
  run.Then([&] { run.ClickAt(590, 550); });  // Help
  run.Then([&] {
    if (c.fault == Fault::kUnprivileged) {
      AsUnprivilegedUser user;
      (App(run).*c.action)();
    } else if (c.fault == Fault::kHalfWay) {
      FileSizeLimit limit(kHalfWayBytes);
      (App(run).*c.action)();
    } else {
      (App(run).*c.action)();
    }
  });
  run.Then([&] { seen.drive = FolderFiles(drive); });
  run.Then([&] { run.ClickAt(720, 550); });  // to the install page
  run.Then([&] { run.ClickAt(590, 550); });  // and back to the help page
  run.Then([&] {
    seen.title_after = run.Title();
    Lumarc::BitmapImage picture;
    const bool backup = fs::exists(drive / "brivant.res");
    DecodeSampleDiscPicture(backup ? "brivant/5.dat" : "brivant/4.dat", picture);
    seen.help_differing =
        ClientPixelsDifferingFrom(run.desktop(), run.MainWindow()->handle, &picture);
  });
  EXPECT_EQ(run.Start(), 1);
  for (const auto& box : run.desktop().MessageBoxes()) {
    seen.boxes.push_back(box.request.text + " / " + box.request.caption);
  }
  EXPECT_EQ(FolderFiles(run.StartDirectory()), disc_before) << "the disc was changed";
  return seen;
}

void Check(const FaultCase& c) {
  SCOPED_TRACE(c.what);
  const Seen seen = RunFaultCase(c);
  Files expected = c.drive_after;
  EXPECT_EQ(seen.drive, expected);
  EXPECT_EQ(seen.boxes, c.boxes);
  const bool backup_in_place = seen.drive.contains("brivant.res");
  EXPECT_EQ(seen.title_after, backup_in_place ? "Restore" : "Help");
  EXPECT_EQ(seen.help_differing, 0);
}

void RemoveFolder(const fs::path&, const fs::path& drive) {
  fs::remove_all(drive);
}

void ReplaceFolderByFile(const fs::path&, const fs::path& drive) {
  fs::remove_all(drive);
  std::ofstream(drive) << "not a folder";
}

void MakeReadOnly(const fs::path&, const fs::path& drive) {
  fs::permissions(drive, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
}

const Files kOriginals = {{"autoexec.bat", kOriginalAutoexec}, {"config.sys", kOriginalConfig}};

// What a completed backup leaves, with the disc's files spelled out by the case.
Files BackedUp(const std::string& disc_autoexec, const std::string& disc_config,
               const std::string& disc_marker) {
  return {{"autoexec.bat", disc_autoexec},
          {"config.sys", disc_config},
          {"autoexec.bvt", kOriginalAutoexec},
          {"config.bvt", kOriginalConfig},
          {"brivant.res", disc_marker}};
}

std::string DiscFile(const char* name) {
  return Contents(fs::path(LUMARC_SAMPLE_DISC_DIR) / name);
}

// A completed backup as it is seen afterwards, and as a case lays it on the drive.
Files BackedUpFromDisc() {
  return BackedUp(DiscFile("autoexec.bat"), DiscFile("config.sys"), DiscFile("brivant.res"));
}
const Files kDriveBackedUp = BackedUp("disc:autoexec.bat", "disc:config.sys", "disc:brivant.res");

TEST(DiscAndDriveFaultsTest, BackupOnAnUnusableSystemDriveChangesNothingAndSaysSo) {
  const FaultCase cases[] = {
      {"no system drive folder",
       {},
       RemoveFolder,
       Fault::kNone,
       &LauncherApp::BackUpStartupFiles,
       {},
       {kCopyFailed}},
      {"the system drive is a file",
       {},
       ReplaceFolderByFile,
       Fault::kNone,
       &LauncherApp::BackUpStartupFiles,
       {{"(not a folder)", "not a folder"}},
       {kCopyFailed}},
      {"a read-only system drive",
       kOriginals,
       MakeReadOnly,
       Fault::kUnprivileged,
       &LauncherApp::BackUpStartupFiles,
       kOriginals,
       {kCopyFailed}},
  };
  for (const FaultCase& c : cases) Check(c);
}

TEST(DiscAndDriveFaultsTest, RestoreOnAnUnusableSystemDriveKeepsTheBackupInPlace) {
  const Files backed_up = BackedUpFromDisc();
  const Files& drive_before = kDriveBackedUp;
  const FaultCase cases[] = {
      {"no system drive folder",
       {},
       RemoveFolder,
       Fault::kNone,
       &LauncherApp::RestoreStartupFiles,
       {},
       {kAutoexecFailed, kConfigFailed}},
      {"a read-only system drive",
       drive_before,
       MakeReadOnly,
       Fault::kUnprivileged,
       &LauncherApp::RestoreStartupFiles,
       backed_up,
       {kAutoexecFailed, kConfigFailed}},
  };
  for (const FaultCase& c : cases) Check(c);
}

// The marker decides whether the saved copies hold the machine's files. One that exists but
// cannot be read must not let a backup treat them as stale and replace them.
TEST(DiscAndDriveFaultsTest, AMarkerThatCannotBeReadOrDeletedStillGuardsTheSavedFiles) {
  const Files backed_up = BackedUpFromDisc();
  const Files& drive_backed_up = kDriveBackedUp;
  const auto unreadable_marker = [](const fs::path&, const fs::path& drive) {
    fs::permissions(drive, fs::perms::all);
    for (const auto& entry : fs::directory_iterator(drive)) {
      fs::permissions(entry.path(), fs::perms::all);
    }
    fs::permissions(drive / "brivant.res", fs::perms::none);
  };
  const auto read_only_marker = [](const fs::path&, const fs::path& drive) {
    fs::permissions(drive / "brivant.res", fs::perms::owner_write, fs::perm_options::remove);
  };
  const FaultCase cases[] = {
      {"a backup over one whose marker cannot be read",
       drive_backed_up,
       unreadable_marker,
       Fault::kUnprivileged,
       &LauncherApp::BackUpStartupFiles,
       backed_up,
       {kCopyFailed}},
      {"a restore whose marker is read-only",
       drive_backed_up,
       read_only_marker,
       Fault::kNone,
       &LauncherApp::RestoreStartupFiles,
       {{"autoexec.bat", kOriginalAutoexec},
        {"config.sys", kOriginalConfig},
        {"autoexec.bvt", kOriginalAutoexec},
        {"config.bvt", kOriginalConfig}},
       {kFilesRestored}},
  };
  for (const FaultCase& c : cases) Check(c);
}

TEST(DiscAndDriveFaultsTest, DiscFilesThatCannotBeReadLeaveTheMachinesFiles) {
  const auto folder_in_place_of = [](const char* name) {
    return [name](const fs::path& disc, const fs::path&) {
      fs::remove(disc / name);
      fs::create_directory(disc / name);
    };
  };
  const auto pipe_in_place_of = [](const char* name) {
    return [name](const fs::path& disc, const fs::path&) {
      fs::remove(disc / name);
      ASSERT_EQ(::mkfifo((disc / name).c_str(), 0644), 0);
    };
  };
  const auto unreadable = [](const char* name) {
    return [name](const fs::path& disc, const fs::path& drive) {
      fs::permissions(disc / name, fs::perms::none);
      // The unprivileged user may change the drive, so that only the disc file stands in the way.
      fs::permissions(drive, fs::perms::all);
      for (const auto& entry : fs::directory_iterator(drive)) {
        fs::permissions(entry.path(), fs::perms::all);
      }
    };
  };
  const FaultCase cases[] = {
      {"a folder where the disc's autoexec.bat should be",
       kOriginals,
       folder_in_place_of("autoexec.bat"),
       Fault::kNone,
       &LauncherApp::BackUpStartupFiles,
       kOriginals,
       {kCopyFailed}},
      {"a pipe where the disc's config.sys should be",
       kOriginals,
       pipe_in_place_of("config.sys"),
       Fault::kNone,
       &LauncherApp::BackUpStartupFiles,
       kOriginals,
       {kCopyFailed}},
      {"the disc's marker unreadable",
       kOriginals,
       unreadable("brivant.res"),
       Fault::kUnprivileged,
       &LauncherApp::BackUpStartupFiles,
       kOriginals,
       {kCopyFailed}},
  };
  for (const FaultCase& c : cases) Check(c);
}

TEST(DiscAndDriveFaultsTest, CopiesFailingHalfWayLeaveWholeFiles) {
  const Files backed_up = BackedUpFromDisc();
  const Files& drive_backed_up = kDriveBackedUp;
  // Saved copies longer than the limit: restoring them fails part-way through each.
  const std::string long_autoexec = std::string(150, 'a') + "\r\n";
  const std::string long_config = std::string(150, 'c') + "\r\n";
  Files drive_long_saved = drive_backed_up;
  drive_long_saved["autoexec.bvt"] = long_autoexec;
  drive_long_saved["config.bvt"] = long_config;
  Files long_saved = backed_up;
  long_saved["autoexec.bvt"] = long_autoexec;
  long_saved["config.bvt"] = long_config;
  const FaultCase cases[] = {
      {"a first backup",
       kOriginals,
       nullptr,
       Fault::kHalfWay,
       &LauncherApp::BackUpStartupFiles,
       kOriginals,
       {kCopyFailed}},
      {"a backup over one in place",
       drive_backed_up,
       nullptr,
       Fault::kHalfWay,
       &LauncherApp::BackUpStartupFiles,
       backed_up,
       {kCopyFailed}},
      {"a restore",
       drive_long_saved,
       nullptr,
       Fault::kHalfWay,
       &LauncherApp::RestoreStartupFiles,
       long_saved,
       {kAutoexecFailed, kConfigFailed}},
  };
  for (const FaultCase& c : cases) Check(c);
}

// A picture that cannot be read counts as damaged: one box, a black page, a working menu.
TEST(DiscAndDriveFaultsTest, APictureThatCannotBeReadGivesAChecksumErrorAndTheMenuGoesOn) {
  const auto folder_in_place_of_welcome = [](const fs::path& disc, const fs::path&) {
    fs::remove(disc / "brivant/1.dat");
    fs::create_directory(disc / "brivant/1.dat");
  };
  const FaultCase c = {"a folder in place of the welcome picture",
                       kOriginals,
                       folder_in_place_of_welcome,
                       Fault::kNone,
                       &LauncherApp::BackUpStartupFiles,
                       BackedUpFromDisc(),
                       {"Checksum Error / Error", kFilesCopied}};
  Check(c);
}

// Where no box can be shown (a display without fonts, say), the menu does what it does on
// Windows when MessageBoxA fails, which it does not test: it goes on as after OK. The message is
// not lost: it is on standard error.
TEST(DiscAndDriveFaultsTest, AChecksumErrorThatNoBoxCanShowGoesToStandardErrorAndTheMenuGoesOn) {
  MenuRun run({1024, 768});
  CopySampleDisc(run.StartDirectory());
  fs::remove(run.StartDirectory() / "brivant/1.dat");
  run.desktop().FailMessageBox();
  std::optional<COLORREF> corner;
  run.Then([&] { corner = run.desktop().ClientPixel(run.MainWindow().value().handle, 10, 10); });
  run.Then([&] { run.ClickAt(460, 550); });  // Next, on a page without its picture
  std::string title;
  run.Then([&] { title = run.Title(); });
  testing::internal::CaptureStderr();
  EXPECT_EQ(run.Start(), 1);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(said, "Error: Checksum Error\n");
  ASSERT_EQ(run.desktop().MessageBoxes().size(), 1u);
  EXPECT_EQ(run.desktop().MessageBoxes()[0].answer, 0);
  EXPECT_EQ(corner, RGB(0, 0, 0));
  EXPECT_EQ(title, "Welcome to TAVO setup");
}

// A picture that passes the checksum but declares a frame far larger than any screen is refused
// before its buffers are made. The frame header of the welcome picture lies after the sampled
// bytes: its height and width are at offsets 18335 and 18337.
TEST(DiscAndDriveFaultsTest, APictureDeclaringAHugeFrameIsRefusedAndTheMenuGoesOn) {
  const auto huge_welcome_frame = [](const fs::path& disc, const fs::path&) {
    std::fstream picture(disc / "brivant/1.dat", std::ios::in | std::ios::out | std::ios::binary);
    picture.seekp(18335);
    picture.write("\x0f\xa0\x0f\xa0", 4);  // 4000 x 4000, about 170 MB to decode
  };
  const FaultCase c = {"a 4000 x 4000 welcome picture",
                       kOriginals,
                       huge_welcome_frame,
                       Fault::kNone,
                       &LauncherApp::BackUpStartupFiles,
                       BackedUpFromDisc(),
                       {"Image Too Large for Memory / Error", kFilesCopied}};
  Check(c);
}

}  // namespace
