#include "window_geometry.h"

#include "nonclient_frame.h"
#include "update_region.h"

namespace win32compat {

void SendSizeAndMove(System& system, HWND handle) {
  const Window* window = system.windows().Find(handle);
  if (!window) return;
  const RECT client = ClientRectOnScreen(window->rect, window->style);
  const RECT area = ClientArea(*window);
  const WPARAM kind = window->maximized ? SIZE_MAXIMIZED : SIZE_RESTORED;
  system.Send(handle, WM_SIZE, kind, MAKELPARAM(area.right, area.bottom));
  system.Send(handle, WM_MOVE, 0, MAKELPARAM(client.left, client.top));
}

void Maximize(System& system, HWND handle) {
  Window* window = system.windows().Find(handle);
  if (!window || window->maximized) return;
  const int border = FrameFor(window->style).border;
  const RECT screen = system.ScreenRect();
  window->restored_rect = window->rect;
  window->rect = RECT{screen.left - border, screen.top - border, screen.right + border,
                      screen.bottom + border};
  window->maximized = true;
  Invalidate(*window, nullptr, true);
  SendSizeAndMove(system, handle);
}

void Restore(System& system, HWND handle) {
  Window* window = system.windows().Find(handle);
  if (!window || !window->maximized) return;
  window->rect = window->restored_rect;
  window->maximized = false;
  Invalidate(*window, nullptr, true);
  SendSizeAndMove(system, handle);
}

void MakeVisible(System& system, HWND handle, bool activate) {
  const Window* shown = system.windows().Find(handle);
  if (shown && !shown->visible) system.Send(handle, WM_SHOWWINDOW, TRUE, 0);
  Window* window = system.windows().Find(handle);
  if (!window) return;
  if (!window->visible) {
    window->visible = true;
    Invalidate(*window, nullptr, true);
  }
  if (activate) {
    system.windows().BringToTop(handle);
    system.SetFocus(handle);
  }
  system.Present();
}

void MakeHidden(System& system, HWND handle) {
  const Window* shown = system.windows().Find(handle);
  if (!shown || !shown->visible) return;
  system.Send(handle, WM_SHOWWINDOW, FALSE, 0);
  if (Window* window = system.windows().Find(handle)) window->visible = false;
  system.Present();
}

}  // namespace win32compat
