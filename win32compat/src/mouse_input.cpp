// The user's mouse, as Windows turns it into messages: the window under the pointer is asked
// where the point lies on it (WM_NCHITTEST) and which cursor to show (WM_SETCURSOR), and then
// gets the mouse message itself in its queue, in client coordinates over its client area.
#include "nonclient_frame.h"
#include "system.h"

namespace win32compat {

void System::MouseMoved(POINT screen) {
  cursors_.SetPosition(screen);
  DeliverMouse(screen, WM_MOUSEMOVE, WM_NCMOUSEMOVE);
}

void System::LeftButton(POINT screen, bool down) {
  cursors_.SetPosition(screen);
  left_button_down_ = down;
  if (down) {
    // A click activates the window it falls on, which then has the keyboard.
    if (const HWND target = windows_.WindowAt(screen)) SetFocus(target);
    DeliverMouse(screen, WM_LBUTTONDOWN, WM_NCLBUTTONDOWN);
  } else {
    DeliverMouse(screen, WM_LBUTTONUP, WM_NCLBUTTONUP);
  }
}

void System::DeliverMouse(POINT screen, UINT client_message, UINT nonclient_message) {
  const HWND target = windows_.WindowAt(screen);
  if (!target) {
    // Over the bare desktop: the desktop's own cursor.
    ShowCursor(cursors_.SystemCursor(32512));
    return;
  }
  const LPARAM screen_point = MAKELPARAM(screen.x, screen.y);
  const LRESULT hit = Send(target, WM_NCHITTEST, 0, screen_point);
  Send(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), MAKELPARAM(hit, client_message));
  const Window* window = windows_.Find(target);
  if (!window) return;  // gone while it chose its cursor
  if (hit != HTCLIENT) {
    Post(target, nonclient_message, static_cast<WPARAM>(hit), screen_point);
    return;
  }
  const RECT client = ClientRectOnScreen(window->rect, window->style);
  const WPARAM keys = left_button_down_ ? MK_LBUTTON : 0;
  Post(target, client_message, keys, MAKELPARAM(screen.x - client.left, screen.y - client.top));
}

}  // namespace win32compat
