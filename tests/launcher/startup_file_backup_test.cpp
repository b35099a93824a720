// The backup and restore of the system drive's start-up files, run inside the whole menu as a
// click on a region with those actions would run them.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "launcher_app.h"
#include "menu_run.h"
#include "sample_disc.h"
#include "startup_files.h"

namespace {

namespace fs = std::filesystem;
using namespace startup_files;

fs::path SystemDrive() {
  return HostFile("c:\\brivant.res").parent_path();
}

// Every file of the system drive, by name, with its contents; a folder shows as "(folder)".
Files DriveFiles() {
  Files files;
  for (const auto& entry : fs::directory_iterator(SystemDrive())) {
    files[entry.path().filename().string()] =
        entry.is_directory() ? "(folder)" : Contents(entry.path());
  }
  return files;
}

void WriteDriveFiles(const Files& files) {
  for (const auto& [name, contents] : files) {
    if (contents == "(folder)") {
      fs::create_directories(SystemDrive() / name);
    } else {
      std::ofstream(SystemDrive() / name, std::ios::binary) << contents;
    }
  }
}

LauncherApp& App(MenuRun& run) {
  return *reinterpret_cast<LauncherApp*>(GetWindowLongPtrA(run.MainWindow().value().handle, 0));
}

std::vector<std::string> Boxes(MenuRun& run) {
  std::vector<std::string> boxes;
  for (const auto& box : run.desktop().MessageBoxes()) {
    boxes.push_back(box.request.text + " / " + box.request.caption +
                    (box.request.owner ? " (owned)" : ""));
  }
  return boxes;
}

// A menu on the sample disc whose system drive holds `drive` at start. Contents "disc:NAME"
// stand for the disc's file NAME.
struct BackupRun {
  explicit BackupRun(const Files& drive) : run({1024, 768}) {
    CopySampleDisc(run.StartDirectory());
    WriteDriveFiles(Resolved(drive));
  }
  std::string Disc(const char* name) const { return Contents(run.StartDirectory() / name); }
  Files Resolved(Files files) const {
    for (auto& [name, contents] : files) {
      if (contents.starts_with("disc:")) contents = Disc(contents.c_str() + 5);
    }
    return files;
  }

  MenuRun run;
};

TEST(StartupFileBackupTest, BackupAndRestoreOnTheHelpPageSwitchItsPictureButNotTheTitle) {
  BackupRun backup({{"autoexec.bat", kOriginalAutoexec}, {"config.sys", kOriginalConfig}});
  MenuRun& run = backup.run;
  struct Seen {
    std::string title;
    long differing = -1;
    Files drive;
  };
  Seen after_backup;
  Seen after_return;
  Seen after_restore;
  const auto look = [&](Seen& seen, int picture_number) {
    Lumarc::BitmapImage picture;
    DecodeSampleDiscPicture("brivant/" + std::to_string(picture_number) + ".dat", picture);
    seen.title = run.Title();
    seen.differing = ClientPixelsDifferingFrom(run.desktop(), run.MainWindow()->handle, &picture);
    seen.drive = DriveFiles();
  };
  run.Then([&] { run.ClickAt(460, 550); });  // Next
  run.Then([&] { run.ClickAt(590, 550); });  // Help
  run.Then([&] { App(run).BackUpStartupFiles(); });
  run.Then([&] { look(after_backup, 5); });
  run.Then([&] { run.ClickAt(720, 550); });  // back to the install page
  run.Then([&] { run.ClickAt(590, 550); });  // and to the help page again
  run.Then([&] { look(after_return, 5); });
  run.Then([&] { App(run).RestoreStartupFiles(); });
  run.Then([&] { look(after_restore, 4); });

  EXPECT_EQ(run.Start(), 1);
  EXPECT_EQ(after_backup.title, "Help");
  EXPECT_EQ(after_backup.differing, 0);
  const Files backed_up = {{"autoexec.bat", backup.Disc("autoexec.bat")},
                           {"config.sys", backup.Disc("config.sys")},
                           {"autoexec.bvt", kOriginalAutoexec},
                           {"config.bvt", kOriginalConfig},
                           {"brivant.res", backup.Disc("brivant.res")}};
  EXPECT_EQ(after_backup.drive, backed_up);
  EXPECT_EQ(after_return.title, "Restore");
  EXPECT_EQ(after_restore.title, "Restore");
  EXPECT_EQ(after_restore.differing, 0);
  const Files restored = {{"autoexec.bat", kOriginalAutoexec},
                          {"config.sys", kOriginalConfig},
                          {"autoexec.bvt", kOriginalAutoexec},
                          {"config.bvt", kOriginalConfig}};
  EXPECT_EQ(after_restore.drive, restored);
  EXPECT_THAT(Boxes(run), testing::ElementsAre(kFilesCopied, kFilesRestored));
  for (const auto& box : run.desktop().MessageBoxes()) EXPECT_EQ(box.request.style, MB_OK);
}

struct DriveCase {
  const char* what;
  Files drive_before;
  std::vector<const char*> disc_files_missing;
  std::vector<void (LauncherApp::*)()> actions;
  Files drive_after;
  std::vector<std::string> boxes;
};

void RunDriveCase(const DriveCase& c) {
  SCOPED_TRACE(c.what);
  BackupRun backup(c.drive_before);
  MenuRun& run = backup.run;
  const Files expected = backup.Resolved(c.drive_after);
  for (const char* name : c.disc_files_missing) fs::remove(run.StartDirectory() / name);
  for (const auto action : c.actions) run.Then([&run, action] { (App(run).*action)(); });
  Files drive_after;
  run.Then([&] { drive_after = DriveFiles(); });

  EXPECT_EQ(run.Start(), 1);
  EXPECT_EQ(drive_after, expected);
  EXPECT_EQ(Boxes(run), c.boxes);
}

constexpr auto kBackUp = &LauncherApp::BackUpStartupFiles;
constexpr auto kRestore = &LauncherApp::RestoreStartupFiles;

TEST(StartupFileBackupTest, Backup) {
  const Files originals = {{"autoexec.bat", kOriginalAutoexec}, {"config.sys", kOriginalConfig}};
  const Files backed_up = {{"autoexec.bat", "disc:autoexec.bat"},
                           {"config.sys", "disc:config.sys"},
                           {"autoexec.bvt", kOriginalAutoexec},
                           {"config.bvt", kOriginalConfig},
                           {"brivant.res", "disc:brivant.res"}};
  const DriveCase cases[] = {
      {"no autoexec.bat to save",
       {{"config.sys", kOriginalConfig}},
       {},
       {kBackUp},
       {{"autoexec.bat", "disc:autoexec.bat"},
        {"config.sys", "disc:config.sys"},
        {"config.bvt", kOriginalConfig},
        {"brivant.res", "disc:brivant.res"}},
       {kFilesCopied}},
      {"saved copies of an earlier backup are replaced when none is in place",
       {{"autoexec.bat", kOriginalAutoexec},
        {"config.sys", kOriginalConfig},
        {"autoexec.bvt", "old"},
        {"config.bvt", "old"}},
       {},
       {kBackUp},
       backed_up,
       {kFilesCopied}},
      {"a second backup keeps the machine's files saved by the first",
       originals,
       {},
       {kBackUp, kBackUp},
       backed_up,
       {kFilesCopied, kFilesCopied}},
      {"a disc file that cannot be copied leaves the machine's files in place",
       originals,
       {"config.sys"},
       {kBackUp},
       originals,
       {kCopyFailed}},
      {"a failed copy takes back the disc file installed where there was none",
       {{"config.sys", kOriginalConfig}},
       {"config.sys"},
       {kBackUp},
       {{"config.sys", kOriginalConfig}},
       {kCopyFailed}},
      {"no marker without a backup",
       originals,
       {"brivant.res"},
       {kBackUp},
       originals,
       {kCopyFailed}},
      {"a saved copy that cannot be replaced stops the backup before anything is overwritten",
       {{"autoexec.bat", kOriginalAutoexec},
        {"config.sys", kOriginalConfig},
        {"config.bvt", "(folder)"}},
       {},
       {kBackUp},
       {{"autoexec.bat", kOriginalAutoexec},
        {"config.sys", kOriginalConfig},
        {"config.bvt", "(folder)"}},
       {kCopyFailed}},
      {"a failed second backup leaves the first in place",
       backed_up,
       {"config.sys"},
       {kBackUp},
       backed_up,
       {kCopyFailed}},
  };
  for (const DriveCase& c : cases) RunDriveCase(c);
}

TEST(StartupFileBackupTest, Restore) {
  const DriveCase cases[] = {
      {"no saved copies: both errors, nothing changes",
       {{"autoexec.bat", "disc"}, {"config.sys", "disc"}, {"brivant.res", "marker"}},
       {},
       {kRestore},
       {{"autoexec.bat", "disc"}, {"config.sys", "disc"}, {"brivant.res", "marker"}},
       {kAutoexecFailed, kConfigFailed}},
      {"only config.bvt: config.sys restored, the marker stays",
       {{"autoexec.bat", "disc"},
        {"config.sys", "disc"},
        {"config.bvt", kOriginalConfig},
        {"brivant.res", "marker"}},
       {},
       {kRestore},
       {{"autoexec.bat", "disc"},
        {"config.sys", kOriginalConfig},
        {"config.bvt", kOriginalConfig},
        {"brivant.res", "marker"}},
       {kAutoexecFailed}},
      {"backup and restore give back the machine's files and keep the copies",
       {{"autoexec.bat", kOriginalAutoexec}, {"config.sys", kOriginalConfig}},
       {},
       {kBackUp, kRestore},
       {{"autoexec.bat", kOriginalAutoexec},
        {"config.sys", kOriginalConfig},
        {"autoexec.bvt", kOriginalAutoexec},
        {"config.bvt", kOriginalConfig}},
       {kFilesCopied, kFilesRestored}},
  };
  for (const DriveCase& c : cases) RunDriveCase(c);
}

}  // namespace
