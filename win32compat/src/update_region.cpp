#include "update_region.h"

#include "nonclient_frame.h"

namespace win32compat {

RECT ClientArea(const Window& window) {
  const RECT client = ClientRectOnScreen(window.rect, window.style);
  return RECT{0, 0, client.right - client.left, client.bottom - client.top};
}

void Invalidate(Window& window, const RECT* area, bool erase) {
  const RECT whole = ClientArea(window);
  const RECT added = area ? IntersectRects(*area, whole) : whole;
  if (RectEmpty(added)) return;
  window.update = window.update_pending ? UnionRects(window.update, added) : added;
  window.update_pending = true;
  window.erase_pending = window.erase_pending || erase;
}

void Validate(Window& window, const RECT* area) {
  if (!window.update_pending) return;
  if (area) {
    const RECT covered = IntersectRects(*area, window.update);
    const bool covers_all =
        covered.left == window.update.left && covered.top == window.update.top &&
        covered.right == window.update.right && covered.bottom == window.update.bottom;
    if (!covers_all) return;
  }
  window.update_pending = false;
  window.erase_pending = false;
  window.update = RECT{};
}

HWND WindowNeedingPaint(const WindowManager& windows, const MessageFilter& filter) {
  if (!filter.TakesMessage(WM_PAINT)) return nullptr;
  for (HWND handle : windows.ZOrder()) {
    const Window& window = *windows.Find(handle);
    if (window.visible && window.update_pending && filter.TakesWindow(handle)) return handle;
  }
  return nullptr;
}

}  // namespace win32compat
