// The system drive's start-up files: replacing them by the disc's versions after saving them,
// and putting the saved ones back. A marker file on the system drive records that a backup is in
// place; the help page shows the Restore state while it exists.
//
// The backup guards the machine's own start-up files, which are not on the disc and cannot be
// had again once lost:
// - A second backup while one is in place keeps the saved copies. Saving again would overwrite
//   them with the disc versions that the first backup installed.
// - A live file is replaced only after it has been saved; a save that fails for any reason but
//   the file being absent stops the backup.
// - When a disc file cannot be copied, the saved files go back, no marker is left and the user
//   is told, instead of "Files copied" over a half-installed drive that claims a backup.
// - A marker that exists but cannot be opened (locked, or no read permission) still means a
//   backup is in place: taken for absent, it would let the backup replace the saved copies.
#include <array>
#include <filesystem>
#include <system_error>

#include "backup_marker.h"
#include "launcher_app.h"
#include "layouts.h"
#include "menu_page.h"
#include "runtime_file.h"

namespace {

struct StartupFile {
  const char* disc;
  const char* live;
  const char* saved;
};

constexpr std::array<StartupFile, 2> kStartupFiles{{
    {"autoexec.bat", "c:\\autoexec.bat", "c:\\autoexec.bvt"},
    {"config.sys", "c:\\config.sys", "c:\\config.bvt"},
}};
constexpr char kDiscMarkerFile[] = "brivant.res";

// What saving did to each live file, so that a failed backup undoes exactly that.
enum class SaveState { kUntouched, kAbsent, kSaved };
using SaveRecord = std::array<SaveState, kStartupFiles.size()>;

// The help page asks whether the marker can be opened; the backup asks only whether it exists,
// since deleting saved copies that may hold the machine's files cannot be undone.
bool BackupMarkerExists() {
  if (CanOpenForReading(kBackupMarkerFile)) return true;
  std::error_code error;
  return std::filesystem::exists(RuntimeFilePath(kBackupMarkerFile), error);
}

// Files copied from a disc arrive read-only and would refuse the deletion.
void RemoveFile(const char* file) {
  SetFileAttributesA(file, FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(file);
}

// A file that had no original loses the disc version it may have been given.
void PutSavedFilesBack(const SaveRecord& record) {
  for (std::size_t i = 0; i < kStartupFiles.size(); ++i) {
    if (record[i] == SaveState::kUntouched) continue;
    RemoveFile(kStartupFiles[i].live);
    if (record[i] == SaveState::kSaved) MoveFileA(kStartupFiles[i].saved, kStartupFiles[i].live);
  }
}

// A live file that is absent has nothing to save; any other failure to move it stops the backup
// before the file could be replaced unsaved.
bool SaveLiveFiles(SaveRecord& record) {
  record.fill(SaveState::kUntouched);
  for (std::size_t i = 0; i < kStartupFiles.size(); ++i) {
    DeleteFileA(kStartupFiles[i].saved);
    if (MoveFileA(kStartupFiles[i].live, kStartupFiles[i].saved)) {
      record[i] = SaveState::kSaved;
    } else if (GetLastError() == ERROR_FILE_NOT_FOUND) {
      record[i] = SaveState::kAbsent;
    } else {
      return false;
    }
  }
  return true;
}

// All three copies are tried; the result tells whether every one succeeded.
bool InstallDiscFiles() {
  bool all_copied = true;
  for (const StartupFile& file : kStartupFiles) {
    all_copied = CopyFileA(file.disc, file.live, FALSE) && all_copied;
  }
  return CopyFileA(kDiscMarkerFile, kBackupMarkerFile, FALSE) && all_copied;
}

void MakeInstalledFilesWritable() {
  for (const StartupFile& file : kStartupFiles)
    SetFileAttributesA(file.live, FILE_ATTRIBUTE_NORMAL);
  SetFileAttributesA(kBackupMarkerFile, FILE_ATTRIBUTE_NORMAL);
}

void ReportBackupFailure() {
  MessageBoxA(nullptr, "Error copying files", "Error", MB_ICONERROR);
}

// The backup in place before, if any, holds the machine's files: on failure it is left alone.
bool BackUpOverNoBackup() {
  SaveRecord record;
  if (!SaveLiveFiles(record)) {
    PutSavedFilesBack(record);
    return false;
  }
  if (!InstallDiscFiles()) {
    PutSavedFilesBack(record);
    RemoveFile(kBackupMarkerFile);
    return false;
  }
  return true;
}

bool RestoreFile(const StartupFile& file, const char* failure_text) {
  if (CopyFileA(file.saved, file.live, FALSE)) return true;
  MessageBoxA(nullptr, failure_text, "Error", MB_ICONERROR);
  return false;
}

}  // namespace

void LauncherApp::BackUpStartupFiles() {
  const bool backup_in_place = BackupMarkerExists();
  const bool installed = backup_in_place ? InstallDiscFiles() : BackUpOverNoBackup();
  if (!installed) {
    ReportBackupFailure();
    return;
  }
  MakeInstalledFilesWritable();
  MessageBoxA(nullptr, "Files copied", "Confirmation", MB_OK);
  RebuildCurrentPageAsHelpPage();
}

void LauncherApp::RestoreStartupFiles() {
  const bool autoexec_restored = RestoreFile(kStartupFiles[0], "Error restoring autoexec.bat");
  const bool config_restored = RestoreFile(kStartupFiles[1], "Error restoring config.sys");
  if (!autoexec_restored || !config_restored) return;
  RemoveFile(kBackupMarkerFile);
  MessageBoxA(nullptr, "Files restored", "Confirmation", MB_OK);
  RebuildCurrentPageAsHelpPage();
}

void LauncherApp::RebuildCurrentPageAsHelpPage() {
  MenuPage* page = CurrentPage();
  if (!page) return;
  page->ClearPage();
  DropFocus();
  BuildHelpPageForDesktop(*page);
  ReplacePage(current_page_, page);
  RedrawWindow(main_window_, nullptr, nullptr, RDW_INVALIDATE);
}
