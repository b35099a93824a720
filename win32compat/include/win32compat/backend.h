// The seam between the Win32 layer and whatever shows its windows: a backend presents the
// desktop, paints pixels, shows message boxes and delivers the user's input. The layer keeps all
// Win32 state itself (windows, queue, update regions, cursors), so a backend only mirrors it.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "win32compat/program_resources.h"

namespace win32compat {

// One top-level window as the user sees it. Rectangles are in screen coordinates.
struct WindowView {
  HWND handle = nullptr;
  std::string class_name;
  std::string title;
  HWND owner = nullptr;
  DWORD style = 0;
  bool visible = false;
  bool maximized = false;
  RECT outer{};
  RECT client{};
  HCURSOR class_cursor = nullptr;  // what the window shows while the mouse is over its client area
};

// The whole screen: its size and every window, the top of the z-order first.
struct DesktopView {
  SIZE screen{};
  std::vector<WindowView> windows;
};

// What a cursor handle stands for: a system cursor (IDC_ARROW, IDC_WAIT, ...) or a cursor
// resource of the program, with the picture a real backend draws for it.
struct CursorView {
  enum class Source { kNone, kSystem, kProgram };
  Source source = Source::kNone;
  int id = 0;
  const CursorResource* image = nullptr;  // program cursors only
};

struct MessageBoxRequest {
  HWND owner = nullptr;
  std::string text;
  std::string caption;
  UINT style = 0;
};

// One BeginPaint ... EndPaint of a window: the update rectangle it covered (client coordinates)
// and whether the background was erased first.
struct PaintView {
  HWND window = nullptr;
  RECT area{};
  bool background_erased = false;
};

// A document or folder handed to the desktop's opener (ShellExecuteA, ShellExecuteExA): the
// verb, file and directory as the program gave them, and the host file they lead to.
struct ShellRequest {
  std::string verb;
  std::string file;
  std::string directory;
  std::filesystem::path host_file;
};

// How a backend hands the user's input to the layer, which hit-tests it against the windows and
// queues the messages Windows would.
class InputSink {
 public:
  virtual void MouseMoved(POINT screen) = 0;
  virtual void LeftButton(POINT screen, bool down) = 0;
  // A key went down (again, when held) or up, as a virtual-key code (VK_...); the layer sends
  // it to the focused window.
  virtual void Key(UINT virtual_key, bool down) = 0;
  // The window manager asks to close a window (its close button, WM_DELETE_WINDOW on X11).
  virtual void CloseRequested(HWND window) = 0;
  // The display lost what a window showed (uncovered, or shown again): as Windows does, the
  // whole window is invalidated with erase, so the program repaints it through WM_PAINT.
  virtual void WindowExposed(HWND window);

 protected:
  ~InputSink() = default;
};

class Backend {
 public:
  virtual ~Backend() = default;

  virtual SIZE ScreenSize() const = 0;
  // Called after every change a user could see: windows created, destroyed, moved, shown,
  // hidden, retitled, or given another class cursor.
  virtual void PresentDesktop(const DesktopView& desktop) = 0;
  virtual void PresentCursor(HCURSOR cursor, const CursorView& view) = 0;
  // Pixels of a window's client area, in client coordinates, already clipped by the layer to the
  // part being painted: one colour for all of `area`, or one colour a pixel, row by row from
  // the top (`area` wide).
  virtual void FillClient(HWND window, const RECT& area, COLORREF colour) = 0;
  virtual void DrawClient(HWND window, const RECT& area, const std::vector<COLORREF>& pixels) = 0;
  // Turns each pixel of `area` (clipped as above) into its inverse colour, as an XOR drawing
  // mode does: the same call again restores them.
  virtual void InvertClient(HWND window, const RECT& area) = 0;
  // A paint of a window is complete: the moment to show what it drew.
  virtual void FinishPaint(const PaintView& paint) = 0;
  // Shows a modal message box and returns the button chosen (IDOK, IDYES, ...), or 0 when the
  // box cannot be shown: MessageBoxA then fails rather than make up an answer.
  virtual int ShowMessageBox(const MessageBoxRequest& request) = 0;
  // Called when the program waits for a message and none is queued. Delivers the next input
  // through `sink` and returns true, or returns false when no input will ever come; the layer
  // then ends the program's message loop with WM_QUIT instead of waiting for ever.
  virtual bool WaitForInput(InputSink& sink) = 0;
  // Called each time the program blocks on a process (WaitForSingleObject): input may arrive
  // meanwhile, and is queued for the program's next look at its messages.
  virtual void WhileBlocked(InputSink&) {}
  // Opens the request's host file as the desktop does: with xdg-open, started detached. False
  // when the desktop has no opener, as Windows fails when nothing is associated with a file.
  virtual bool OpenWithShell(const ShellRequest& request);
  // The shell asks the user's consent before it starts a program that needs administrator
  // rights; false when the user declines. No program needs them on a host's own desktop (see
  // ElevationRules), so only a test desktop is ever asked.
  virtual bool ConsentToElevation(const ShellRequest&) { return true; }
};

// The display went away (its server stopped, or the session it belonged to ended). As Windows
// ends a session's programs, every top-level window is sent WM_ENDSESSION (wParam TRUE, lParam
// ENDSESSION_LOGOFF | ENDSESSION_CRITICAL: nothing can be shown any more), and then the process
// ends with exit status 0, running nothing else: no destructors, no exit handlers. A backend
// calls it on the program's thread as soon as it learns of the loss; from then on the backend
// must not touch the display, since the program's windows may still call the layer while they
// take the message.
[[noreturn]] void EndSession();

}  // namespace win32compat
