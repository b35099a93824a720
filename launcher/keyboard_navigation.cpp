// The menu without a mouse: the keyboard moves a focus over the current page's hot regions and
// clicks the one it is on. The focus is drawn as Windows draws keyboard focus, a dotted outline
// just inside the part of the region that shows.
#include <windows.h>

#include <vector>

#include "focus_order.h"
#include "launcher_app.h"
#include "menu_page.h"

bool LauncherApp::KeyDown(WPARAM key, LPARAM flags) {
  switch (key) {
    case VK_TAB:
      MoveFocus(GetKeyState(VK_SHIFT) < 0 ? FocusStep::kBack : FocusStep::kForward);
      return true;
    case VK_RIGHT:
    case VK_DOWN:
      MoveFocus(FocusStep::kForward);
      return true;
    case VK_LEFT:
    case VK_UP:
      MoveFocus(FocusStep::kBack);
      return true;
    case VK_RETURN:
    case VK_SPACE:
      // A key held down repeats; it still clicks once, as a mouse button held down does.
      if (!(HIWORD(flags) & KF_REPEAT)) ActivateFocusedRegion();
      return true;
    default:
      return false;
  }
}

FocusOrder LauncherApp::CurrentFocusOrder() const {
  const MenuPage* page = CurrentPage();
  return FocusOrder(page ? page->VisibleParts(ClientArea()) : std::vector<RECT>{});
}

void LauncherApp::MoveFocus(FocusStep step) {
  const FocusOrder order = CurrentFocusOrder();
  SetFocusedRegion(step == FocusStep::kForward ? order.After(focused_region_)
                                               : order.Before(focused_region_));
}

// Before a navigation key there is no focus, and Enter and Space do nothing.
void LauncherApp::ActivateFocusedRegion() {
  MenuPage* page = CurrentPage();
  if (!page || focused_region_ == FocusOrder::kNone) return;
  // The action may turn or rebuild the page, which drops the focus, or destroy the window.
  page->ActivateRegion(focused_region_);
  // A page turned from the keyboard goes on being used from it: its first region takes the
  // focus at once.
  if (focused_region_ == FocusOrder::kNone) SetFocusedRegion(CurrentFocusOrder().First());
}

void LauncherApp::SetFocusedRegion(std::int32_t region) {
  InvalidateFocus();
  focused_region_ = region;
  InvalidateFocus();
}

RECT LauncherApp::FocusRect() const {
  const MenuPage* page = CurrentPage();
  if (!page || focused_region_ < 0 || focused_region_ >= page->HotRegionCount()) return RECT{};
  return page->HotRegionAt(focused_region_).VisiblePart(ClientArea());
}

// Only the button is painted again: its picture, and the outline if the focus is on it.
void LauncherApp::InvalidateFocus() {
  const RECT focus = FocusRect();
  if (focus.left < focus.right) RedrawWindow(main_window_, &focus, nullptr, RDW_INVALIDATE);
}

void LauncherApp::DrawFocus(HDC dc) const {
  const RECT focus = FocusRect();
  if (focus.left < focus.right) DrawFocusRect(dc, &focus);
}

RECT LauncherApp::ClientArea() const {
  RECT client{};
  GetClientRect(main_window_, &client);
  return client;
}
