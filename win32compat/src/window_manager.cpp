#include "window_manager.h"

#include <algorithm>
#include <cctype>

#include "nonclient_frame.h"

namespace win32compat {
namespace {

bool SameClassName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

// Application class atoms start where Windows starts them.
constexpr ATOM kFirstClassAtom = 0xC000;

}  // namespace

WindowClass* WindowManager::RegisterClass(const WNDCLASSA& description) {
  if (FindClass(description.lpszClassName)) return nullptr;
  auto window_class = std::make_unique<WindowClass>();
  window_class->atom = static_cast<ATOM>(kFirstClassAtom + classes_.size());
  window_class->name = description.lpszClassName;
  window_class->style = description.style;
  window_class->procedure = description.lpfnWndProc;
  window_class->class_extra = description.cbClsExtra;
  window_class->window_extra = description.cbWndExtra;
  window_class->instance = description.hInstance;
  window_class->icon = description.hIcon;
  window_class->cursor = description.hCursor;
  window_class->background = description.hbrBackground;
  classes_.push_back(std::move(window_class));
  return classes_.back().get();
}

WindowClass* WindowManager::FindClass(std::string_view name) {
  for (const auto& window_class : classes_) {
    if (SameClassName(window_class->name, name)) return window_class.get();
  }
  return nullptr;
}

Window& WindowManager::Add(std::unique_ptr<Window> window) {
  const HWND handle = window->handle;
  z_order_.insert(z_order_.begin(), handle);
  return *(windows_[handle] = std::move(window));
}

void WindowManager::Remove(HWND handle) {
  windows_.erase(handle);
  std::erase(z_order_, handle);
}

Window* WindowManager::Find(HWND handle) {
  const auto found = windows_.find(handle);
  return found == windows_.end() ? nullptr : found->second.get();
}

const Window* WindowManager::Find(HWND handle) const {
  const auto found = windows_.find(handle);
  return found == windows_.end() ? nullptr : found->second.get();
}

std::vector<HWND> WindowManager::OwnedBy(HWND owner) const {
  std::vector<HWND> owned;
  for (HWND handle : z_order_) {
    if (Find(handle)->owner == owner) owned.push_back(handle);
  }
  return owned;
}

void WindowManager::BringToTop(HWND handle) {
  if (!Find(handle)) return;
  std::erase(z_order_, handle);
  z_order_.insert(z_order_.begin(), handle);
  // Owned windows keep their order among themselves, above their owner. Walking them from the
  // bottom up and lifting each to the top restores exactly that order.
  const std::vector<HWND> owned = OwnedBy(handle);
  for (auto it = owned.rbegin(); it != owned.rend(); ++it) BringToTop(*it);
}

HWND WindowManager::WindowAt(POINT screen) const {
  for (HWND handle : z_order_) {
    const Window& window = *Find(handle);
    if (window.visible && PointInRect(window.rect, screen)) return handle;
  }
  return nullptr;
}

}  // namespace win32compat
