#include "system.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <system_error>
#include <utility>

#include "nonclient_frame.h"
#include "update_region.h"
#include "win32compat/display.h"
#include "win32compat/headless_backend.h"

namespace win32compat {
namespace fs = std::filesystem;

System::System(Backend& backend, SystemOptions options)
    : backend_(backend),
      options_(std::move(options)),
      paths_(options_.current_directory, options_.system_drive),
      desktop_window_(handles_.Next<HWND>()) {}

RECT System::ScreenRect() const {
  const SIZE screen = backend_.ScreenSize();
  return RECT{0, 0, screen.cx, screen.cy};
}

HINSTANCE System::ProgramInstance() {
  return reinterpret_cast<HINSTANCE>(static_cast<std::uintptr_t>(0x00400000));
}

LRESULT System::Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const Window* target = windows_.Find(window);
  if (!target) return Fail(ERROR_INVALID_WINDOW_HANDLE, LRESULT{0});
  return target->procedure(window, message, wParam, lParam);
}

void System::Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  MSG msg{};
  msg.hwnd = window;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  msg.pt = cursors_.Position();
  queue_.Post(msg);
}

bool System::PeekNext(MSG& out, const MessageFilter& filter, bool remove) {
  if (message_limit_reached_) return false;
  if (queue_.TakePosted(filter, remove, out) || queue_.TakeQuit(remove, out)) {
    if (remove) NoteKeyTaken(out);
    return CountDelivery();
  }
  // WM_PAINT stays until the window validates its update region, whatever `remove` says.
  if (const HWND window = WindowNeedingPaint(windows_, filter)) {
    out = MSG{};
    out.hwnd = window;
    out.message = WM_PAINT;
    out.pt = cursors_.Position();
    return CountDelivery();
  }
  return false;
}

bool System::GetNext(MSG& out, const MessageFilter& filter) {
  while (!PeekNext(out, filter, true)) {
    if (message_limit_reached_) {
      out = MSG{};
      out.message = WM_QUIT;
      return false;
    }
    if (!backend_.WaitForInput(input())) queue_.PostQuit(0);
  }
  return out.message != WM_QUIT;
}

bool System::CountDelivery() {
  ++messages_delivered_;
  if (options_.message_limit != 0 && messages_delivered_ > options_.message_limit) {
    message_limit_reached_ = true;
    return false;
  }
  return true;
}

void System::ShowCursor(HCURSOR cursor) {
  cursors_.SetCurrent(cursor);
  const CursorView* view = cursors_.Find(cursor);
  backend_.PresentCursor(cursor, view ? *view : CursorView{});
}

void System::Present() {
  backend_.PresentDesktop(View());
}

DesktopView System::View() const {
  DesktopView view;
  view.screen = backend_.ScreenSize();
  for (HWND handle : windows_.ZOrder()) {
    const Window& window = *windows_.Find(handle);
    WindowView& shown = view.windows.emplace_back();
    shown.handle = handle;
    shown.class_name = window.window_class->name;
    shown.title = window.title;
    shown.owner = window.owner;
    shown.style = window.style;
    shown.visible = window.visible;
    shown.maximized = window.maximized;
    shown.outer = window.rect;
    shown.client = ClientRectOnScreen(window.rect, window.style);
    shown.class_cursor = window.window_class->cursor;
  }
  return view;
}

void InputSink::WindowExposed(HWND window) {
  if (window) InvalidateRect(window, nullptr, TRUE);
}

namespace {

System* installed_system = nullptr;
System* default_system = nullptr;  // once made, until destroyed
constinit DisplayOpener display_opener = nullptr;

SIZE ScreenSizeFromEnvironment() {
  SIZE size{1024, 768};
  if (const char* chosen = std::getenv("LUMARC_SCREEN_SIZE")) {
    int width = 0;
    int height = 0;
    if (std::sscanf(chosen, "%dx%d", &width, &height) == 2 && width > 0 && height > 0) {
      size = SIZE{width, height};
    }
  }
  return size;
}

SystemOptions DefaultOptions() {
  SystemOptions options;
  std::error_code error;
  options.current_directory = fs::current_path(error);
  options.system_drive = DefaultSystemDrive([](const char* name) { return std::getenv(name); });
  fs::create_directories(options.system_drive, error);
  return options;
}

bool DisplayNamed() {
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x11 && *x11) || (wayland && *wayland);
}

// LUMARC_BACKEND=headless keeps a program off the display; =sdl insists on the display even when
// no display variable names one. Unset: the real window whenever a display is there.
std::unique_ptr<Backend> ChooseBackend() {
  const char* chosen = std::getenv("LUMARC_BACKEND");
  const std::string choice = chosen ? chosen : "";
  if (!choice.empty() && choice != "headless" && choice != "sdl") {
    std::fprintf(stderr, "LUMARC_BACKEND=%s is neither headless nor sdl; ignored\n",
                 choice.c_str());
  }
  if (choice != "headless" && (choice == "sdl" || DisplayNamed())) {
    std::string failure = "the program has no display backend";
    if (display_opener) {
      if (std::unique_ptr<Backend> display = display_opener(failure)) return display;
    }
    std::fprintf(stderr, "No display could be opened (%s); running without a window\n",
                 failure.c_str());
  }
  return std::make_unique<HeadlessBackend>(ScreenSizeFromEnvironment());
}

// The system of a program run on its own: the display if there is one (headless otherwise), the
// process's own current directory and the default system drive, which it creates if need be.
System& DefaultSystem() {
  static const std::unique_ptr<Backend> backend = ChooseBackend();
  static System system(*backend, DefaultOptions());
  // Made after the system, so destroyed before it at the process's end: a display lost while
  // the statics go finds no system left to tell.
  static const struct Forget {
    ~Forget() { default_system = nullptr; }
  } forget;
  default_system = &system;
  return system;
}

}  // namespace

System& CurrentSystem() {
  return installed_system ? *installed_system : DefaultSystem();
}

System* ExistingSystem() {
  return installed_system ? installed_system : default_system;
}

System* InstallSystem(System* system) {
  return std::exchange(installed_system, system);
}

void SetDisplayOpener(DisplayOpener opener) {
  display_opener = opener;
}

}  // namespace win32compat
