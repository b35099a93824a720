// The data kept with windows and classes: a window's extra bytes, style and user data, and the
// class's cursor, background and icon. The *Ptr variants carry a whole pointer on any host; on a
// 32-bit Windows target they are the same calls as the 32-bit ones.
#include <windows.h>

#include <cstring>
#include <type_traits>

#include "system.h"

using win32compat::CurrentSystem;
using win32compat::System;
using win32compat::Window;
using win32compat::WindowClass;

namespace {

template <typename Value>
bool ExtraFits(const Window& window, int index) {
  return index >= 0 && static_cast<std::size_t>(index) + sizeof(Value) <= window.extra.size();
}

// Reads, and with `replacement` also writes, a value of the window's fields or extra bytes.
// False for an index that names neither.
template <typename Value>
bool AccessWindowField(Window& window, int index, Value& value, const Value* replacement) {
  if (index >= 0) {
    if (!ExtraFits<Value>(window, index)) return false;
    std::memcpy(&value, window.extra.data() + index, sizeof(Value));
    if (replacement) std::memcpy(window.extra.data() + index, replacement, sizeof(Value));
    return true;
  }
  const auto exchange = [&](auto& field) {
    value = static_cast<Value>(field);
    if (replacement) field = static_cast<std::remove_reference_t<decltype(field)>>(*replacement);
  };
  switch (index) {
    case GWL_STYLE:
      exchange(window.style);
      return true;
    case GWL_EXSTYLE:
      exchange(window.ex_style);
      return true;
    case GWL_USERDATA:
      exchange(window.user_data);
      return true;
    default:
      return false;
  }
}

template <typename Value>
Value WindowField(HWND handle, int index, const Value* replacement) {
  System& system = CurrentSystem();
  Window* window = system.windows().Find(handle);
  if (!window) return system.Fail(ERROR_INVALID_WINDOW_HANDLE, Value{0});
  Value previous{0};
  if (!AccessWindowField(*window, index, previous, replacement)) {
    return system.Fail(ERROR_INVALID_INDEX, Value{0});
  }
  return previous;
}

// Class fields are exchanged as pointer-sized numbers; handles fit in 32 bits in this layer, so
// the 32-bit calls carry them whole too.
bool AccessClassField(WindowClass& window_class, int index, ULONG_PTR& value,
                      const LONG_PTR* replacement) {
  const auto exchange_handle = [&](auto& field) {
    value = reinterpret_cast<ULONG_PTR>(field);
    if (replacement) {
      field = reinterpret_cast<std::remove_reference_t<decltype(field)>>(*replacement);
    }
  };
  switch (index) {
    case GCL_HCURSOR:
      exchange_handle(window_class.cursor);
      return true;
    case GCL_HBRBACKGROUND:
      exchange_handle(window_class.background);
      return true;
    case GCL_HICON:
      exchange_handle(window_class.icon);
      return true;
    case GCL_STYLE:
      value = window_class.style;
      if (replacement) window_class.style = static_cast<UINT>(*replacement);
      return true;
    default:
      return false;
  }
}

ULONG_PTR ClassField(HWND handle, int index, const LONG_PTR* replacement) {
  System& system = CurrentSystem();
  Window* window = system.windows().Find(handle);
  if (!window) return system.Fail(ERROR_INVALID_WINDOW_HANDLE, ULONG_PTR{0});
  ULONG_PTR previous = 0;
  if (!AccessClassField(*window->window_class, index, previous, replacement)) {
    return system.Fail(ERROR_INVALID_INDEX, ULONG_PTR{0});
  }
  // Every window of the class now shows the new cursor over its client area.
  if (replacement) system.Present();
  return previous;
}

}  // namespace

extern "C" {

LONG WINAPI GetWindowLongA(HWND window, int index) {
  return WindowField<LONG>(window, index, nullptr);
}

LONG WINAPI SetWindowLongA(HWND window, int index, LONG value) {
  return WindowField<LONG>(window, index, &value);
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND window, int index) {
  return WindowField<LONG_PTR>(window, index, nullptr);
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND window, int index, LONG_PTR value) {
  return WindowField<LONG_PTR>(window, index, &value);
}

DWORD WINAPI GetClassLongA(HWND window, int index) {
  return static_cast<DWORD>(ClassField(window, index, nullptr));
}

DWORD WINAPI SetClassLongA(HWND window, int index, LONG value) {
  const LONG_PTR replacement = static_cast<LONG_PTR>(static_cast<ULONG>(value));
  return static_cast<DWORD>(ClassField(window, index, &replacement));
}

ULONG_PTR WINAPI GetClassLongPtrA(HWND window, int index) {
  return ClassField(window, index, nullptr);
}

ULONG_PTR WINAPI SetClassLongPtrA(HWND window, int index, LONG_PTR value) {
  return ClassField(window, index, &value);
}

}  // extern "C"
