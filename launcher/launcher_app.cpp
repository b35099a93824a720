#include "launcher_app.h"

#include "menu_page.h"

LauncherApp::LauncherApp() = default;

// The frame window is left to end with the process.
LauncherApp::~LauncherApp() {
  if (main_window_) {
    const HWND window = main_window_;
    SetWindowLongPtrA(window, 0, 0);
    main_window_ = nullptr;
    DestroyWindow(window);  // harmless when the window is already gone
  }
}

void LauncherApp::AddPage(MenuPage* page) {
  if (page_count_ >= kMaxPages) return;
  page->SetOwner(this);
  pages_[page_count_++] = page;
}

void LauncherApp::ReplacePage(std::int32_t index, MenuPage* page) {
  if (index >= 0 && index < page_count_) pages_[index] = page;
}

MenuPage* LauncherApp::CurrentPage() const {
  return current_page_ >= 0 && current_page_ < page_count_ ? pages_[current_page_] : nullptr;
}

void LauncherApp::NextPage() {
  if (current_page_ + 1 >= page_count_) return;
  ++current_page_;
  ShowCurrentPage();
}

void LauncherApp::GoToPage(std::int32_t index) {
  if (index < 0 || index >= page_count_) return;
  current_page_ = index;
  ShowCurrentPage();
}

void LauncherApp::Quit() {
  DestroyWindow(main_window_);
}

void LauncherApp::ShowCurrentPage() {
  DropFocus();
  SetWindowTextA(main_window_, CurrentPage()->Caption().c_str());
  RedrawWindow(main_window_, nullptr, nullptr, RDW_INVALIDATE);
}

// The pointer-sized call: on the 32-bit Windows target it is SetClassLongA with GCL_HCURSOR.
void LauncherApp::UseCursor(HCURSOR cursor) {
  SetClassLongPtrA(main_window_, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(cursor));
  SetCursor(cursor);
}

// Without a page the window is still validated, or WM_PAINT would come back for ever. The
// focus is drawn over the picture through the same paint, so that both keep to its area.
void LauncherApp::PaintCurrentPage() {
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(main_window_, &paint);
  if (MenuPage* page = CurrentPage()) page->PaintPicture(dc, paint.rcPaint);
  DrawFocus(dc);
  EndPaint(main_window_, &paint);
}

// The coordinates are the low and high 16 bits of lParam, taken as unsigned.
void LauncherApp::MouseMove(LPARAM lParam) {
  if (MenuPage* page = CurrentPage()) page->Hover(LOWORD(lParam), HIWORD(lParam));
}

void LauncherApp::LeftButtonDown(LPARAM lParam) {
  if (MenuPage* page = CurrentPage()) page->Click(LOWORD(lParam), HIWORD(lParam));
}
