#include "menu_run.h"

#include <fstream>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

win32compat::DesktopOptions Options(SIZE screen, const fs::path& disc, const fs::path& drive) {
  win32compat::DesktopOptions options;
  options.screen = screen;
  options.current_directory = disc;
  options.system_drive = drive;
  return options;
}

fs::path FreshFolder() {
  static int runs = 0;
  const fs::path folder =
      fs::temp_directory_path() /
      ("launcher_test_" + std::to_string(::getpid()) + "_" + std::to_string(++runs));
  fs::remove_all(folder);
  fs::create_directories(folder / "disc");
  fs::create_directories(folder / "drive");
  return folder;
}

}  // namespace

MenuRun::MenuRun(SIZE screen, bool backup_marker)
    : root_(FreshFolder()),
      disc_(root_ / "disc"),
      drive_(root_ / "drive"),
      desktop_(Options(screen, disc_, drive_)) {
  if (backup_marker) std::ofstream(drive_ / "brivant.res") << "backup in place\n";
}

MenuRun::~MenuRun() {
  std::error_code error;
  fs::remove_all(root_, error);
}

int MenuRun::Start() {
  char no_arguments[] = "";
  return WinMain(desktop_.ProgramInstance(), nullptr, no_arguments, SW_SHOWNORMAL);
}

void MenuRun::PointAt(int x, int y) {
  desktop_.MoveMouse(desktop_.OnClient(MainWindow().value().handle, x, y));
}

void MenuRun::ClickAt(int x, int y) {
  desktop_.Click(desktop_.OnClient(MainWindow().value().handle, x, y));
}

std::optional<win32compat::WindowView> MenuRun::MainWindow() const {
  for (const win32compat::WindowView& window : desktop_.Windows()) {
    if (window.owner) return window;
  }
  return std::nullopt;
}

std::optional<win32compat::WindowView> MenuRun::FrameWindow() const {
  for (const win32compat::WindowView& window : desktop_.Windows()) {
    if (!window.owner) return window;
  }
  return std::nullopt;
}

std::string MenuRun::Title() const {
  const auto main = MainWindow();
  return main ? main->title : "(no main window)";
}

std::string MenuRun::CursorShown() const {
  return desktop_.CursorName(desktop_.Cursor());
}

std::string MenuRun::ClassCursor() const {
  const auto frame = FrameWindow();
  return frame ? desktop_.CursorName(frame->class_cursor) : "(no frame window)";
}
