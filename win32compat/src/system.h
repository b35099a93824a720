// All the state Windows keeps for a process with one GUI thread: classes, windows, the message
// queue, cursors, GDI objects and the file name mapping, with the backend that shows them. The
// Win32 functions act on the installed system (see CurrentSystem).
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <filesystem>

#include "cursor_registry.h"
#include "elevation_rules.h"
#include "gdi_objects.h"
#include "handle_allocator.h"
#include "host_paths.h"
#include "message_queue.h"
#include "win32compat/backend.h"
#include "window_manager.h"

namespace win32compat {

struct SystemOptions {
  std::filesystem::path current_directory;  // the process's current directory
  std::filesystem::path system_drive;       // the folder that stands for drive C:
  // After this many messages GetMessageA returns only WM_QUIT, so that a program caught in a
  // loop of messages (a WM_PAINT that never validates, say) ends. 0: no limit.
  std::uint64_t message_limit = 0;
};

class System final : private InputSink {
 public:
  System(Backend& backend, SystemOptions options);
  System(const System&) = delete;
  System& operator=(const System&) = delete;

  Backend& backend() { return backend_; }
  WindowManager& windows() { return windows_; }
  MessageQueue& queue() { return queue_; }
  CursorRegistry& cursors() { return cursors_; }
  GdiObjects& gdi() { return gdi_; }
  const HostPaths& paths() const { return paths_; }
  HandleAllocator& handles() { return handles_; }
  InputSink& input() { return *this; }
  ElevationRules& elevation() { return elevation_; }

  HWND DesktopWindow() const { return desktop_window_; }
  RECT ScreenRect() const;
  // The module handle of the program, at the address where a Windows program is loaded.
  static HINSTANCE ProgramInstance();

  DWORD LastError() const { return last_error_; }
  void SetLastError(DWORD error) { last_error_ = error; }
  // Records `error` and returns `result`: the usual shape of a failing Win32 call.
  template <typename Result>
  Result Fail(DWORD error, Result result) {
    last_error_ = error;
    return result;
  }

  // The window procedure call behind SendMessageA and DispatchMessageA; 0 for a non-window.
  LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Messages in the order Windows hands them out: posted messages, then WM_QUIT, then WM_PAINT
  // for a window with an update region. False when none is waiting.
  bool PeekNext(MSG& out, const MessageFilter& filter, bool remove);
  // As PeekNext, but waits for input from the backend while nothing is waiting. False for
  // WM_QUIT, which also comes when the backend has no more input.
  bool GetNext(MSG& out, const MessageFilter& filter);
  bool MessageLimitReached() const { return message_limit_reached_; }

  // The window that gets the keyboard's messages: the window last activated (shown with an
  // activating command, or clicked), else null. Returns the one it replaces.
  HWND Focus() const { return focus_; }
  HWND SetFocus(HWND window);
  // A window going away hands the focus to its owner.
  void FocusLeaving(HWND window);
  // Whether the key is down, as the key messages the program has taken so far tell (what
  // GetKeyState reports, and TranslateMessage uses).
  bool KeyHeld(UINT virtual_key) const { return keys_taken_[virtual_key & 0xFF]; }

  void ShowCursor(HCURSOR cursor);
  // Hands the backend the desktop as it now is.
  void Present();
  DesktopView View() const;

 private:
  void MouseMoved(POINT screen) override;
  void LeftButton(POINT screen, bool down) override;
  void DeliverMouse(POINT screen, UINT client_message, UINT nonclient_message);
  void Key(UINT virtual_key, bool down) override;
  void CloseRequested(HWND window) override;
  bool CountDelivery();
  void NoteKeyTaken(const MSG& msg);

  Backend& backend_;
  SystemOptions options_;
  HandleAllocator handles_;
  WindowManager windows_;
  MessageQueue queue_;
  CursorRegistry cursors_{handles_};
  GdiObjects gdi_{handles_};
  HostPaths paths_;
  ElevationRules elevation_;
  HWND desktop_window_;
  DWORD last_error_ = 0;
  bool left_button_down_ = false;
  HWND focus_ = nullptr;
  std::array<bool, 256> keys_held_{};   // as the keyboard is now
  std::array<bool, 256> keys_taken_{};  // as of the last key message the program took
  std::uint64_t messages_delivered_ = 0;
  bool message_limit_reached_ = false;
};

// The system the Win32 functions act on: the installed one, or else a default one made on first
// use (a headless desktop configured from the environment, see README.md).
System& CurrentSystem();
// The current system if there is one, without making the default one: null before a program's
// first Win32 call and after its default system is gone.
System* ExistingSystem();
// Makes `system` (or, with null, the default) the current one; returns the one it replaces.
System* InstallSystem(System* system);

}  // namespace win32compat
