#include "win32compat/test_desktop.h"

#include <cstdlib>
#include <iterator>
#include <system_error>
#include <utility>

#include "process_table.h"
#include "system.h"

namespace win32compat {
namespace fs = std::filesystem;
namespace {

SystemOptions SystemOptionsFor(const DesktopOptions& options) {
  SystemOptions system;
  std::error_code error;
  system.current_directory =
      options.current_directory.empty() ? fs::current_path(error) : options.current_directory;
  system.system_drive = options.system_drive.empty()
                            ? DefaultSystemDrive([](const char* name) { return std::getenv(name); })
                            : options.system_drive;
  system.message_limit = options.message_limit;
  return system;
}

}  // namespace

TestDesktop::TestDesktop(DesktopOptions options)
    : backend_(options.screen),
      system_(std::make_unique<System>(backend_, SystemOptionsFor(options))) {
  backend_.SetInputSource([this](InputSink&) { return RunNextStep(); });
  backend_.SetBlockedInputSource([this](InputSink&) {
    if (waiting_script_.empty()) return;
    Step step = std::move(waiting_script_.front());
    waiting_script_.pop_front();
    step();
  });
  replaced_ = InstallSystem(system_.get());
}

TestDesktop::~TestDesktop() {
  InstallSystem(replaced_);
}

void TestDesktop::Then(Step step) {
  script_.push_back(std::move(step));
}

void TestDesktop::WhileWaiting(Step step) {
  waiting_script_.push_back(std::move(step));
}

void TestDesktop::RequireElevation(const fs::path& host_program) {
  system_->elevation().Require(host_program);
}

std::size_t TestDesktop::OpenProcessHandles() {
  return ProcessTable::Instance().OpenHandles();
}

bool TestDesktop::RunNextStep() {
  if (script_.empty()) return false;
  Step step = std::move(script_.front());
  script_.pop_front();
  step();
  return true;
}

void TestDesktop::MoveMouse(POINT screen) {
  system_->input().MouseMoved(screen);
}

void TestDesktop::Click(POINT screen) {
  const auto press = [this, screen] {
    system_->input().LeftButton(screen, true);
    system_->input().LeftButton(screen, false);
  };
  const POINT at = MousePosition();
  if (at.x == screen.x && at.y == screen.y) {
    press();
    return;
  }
  MoveMouse(screen);
  script_.push_front(press);
}

POINT TestDesktop::OnClient(HWND window, int x, int y) const {
  const std::optional<WindowView> view = Window(window);
  if (!view) return POINT{x, y};
  return POINT{view->client.left + x, view->client.top + y};
}

std::optional<WindowView> TestDesktop::Window(HWND window) const {
  for (const WindowView& view : Windows()) {
    if (view.handle == window) return view;
  }
  return std::nullopt;
}

std::string TestDesktop::CursorName(HCURSOR cursor) const {
  return DescribeCursor(system_->cursors().Find(cursor));
}

void TestDesktop::PressKeys(std::initializer_list<UINT> keys) {
  for (const UINT key : keys) system_->input().Key(key, true);
  for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) {
    system_->input().Key(*key, false);
  }
}

void TestDesktop::CloseWindow(HWND window) {
  system_->input().CloseRequested(window);
}

HWND TestDesktop::Focus() const {
  return system_->Focus();
}

POINT TestDesktop::MousePosition() const {
  return system_->cursors().Position();
}

bool TestDesktop::MessageLimitReached() const {
  return system_->MessageLimitReached();
}

HINSTANCE TestDesktop::ProgramInstance() const {
  return System::ProgramInstance();
}

}  // namespace win32compat
