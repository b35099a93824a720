// The registered window classes and the windows of the one GUI thread, with their z-order.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace win32compat {

struct WindowClass {
  ATOM atom = 0;
  std::string name;
  UINT style = 0;
  WNDPROC procedure = nullptr;
  int class_extra = 0;
  int window_extra = 0;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
};

struct Window {
  HWND handle = nullptr;
  WindowClass* window_class = nullptr;  // classes live as long as the system
  WNDPROC procedure = nullptr;
  std::string title;
  DWORD style = 0;
  DWORD ex_style = 0;
  HWND owner = nullptr;
  HINSTANCE instance = nullptr;
  RECT rect{};           // outer rectangle, screen coordinates
  RECT restored_rect{};  // the rectangle before maximising
  bool visible = false;
  bool maximized = false;
  bool destroying = false;
  std::vector<unsigned char> extra;  // cbWndExtra bytes, zero at creation
  LONG_PTR user_data = 0;
  // The update region, kept as its bounding rectangle in client coordinates.
  bool update_pending = false;
  bool erase_pending = false;
  RECT update{};
};

class WindowManager {
 public:
  // Returns null when a class of that name (compared without case, as Windows does) exists.
  WindowClass* RegisterClass(const WNDCLASSA& description);
  WindowClass* FindClass(std::string_view name);

  // Takes the window in at the top of the z-order.
  Window& Add(std::unique_ptr<Window> window);
  void Remove(HWND handle);
  // Null for a handle that is not (or no longer) a window. Re-find after every call into a
  // window procedure: the procedure may destroy windows.
  Window* Find(HWND handle);
  const Window* Find(HWND handle) const;

  // Top of the z-order first.
  const std::vector<HWND>& ZOrder() const { return z_order_; }
  std::vector<HWND> OwnedBy(HWND owner) const;
  // Moves the window to the top; the windows it owns stay above it.
  void BringToTop(HWND handle);
  // The visible window that a screen point falls on, or null.
  HWND WindowAt(POINT screen) const;

 private:
  std::vector<std::unique_ptr<WindowClass>> classes_;
  std::map<HWND, std::unique_ptr<Window>> windows_;
  std::vector<HWND> z_order_;
};

}  // namespace win32compat
