// The user's keyboard, as Windows turns it into messages: each key goes to the focused window
// as WM_KEYDOWN and WM_KEYUP, or as WM_SYSKEYDOWN and WM_SYSKEYUP while Alt is held (without
// Ctrl) and for F10 and Alt itself, which menus and Alt+F4 rely on. The window manager's close
// comes as the system menu's Close.
#include "system.h"

namespace win32compat {

HWND System::SetFocus(HWND window) {
  const HWND previous = focus_;
  focus_ = window;
  return previous;
}

void System::FocusLeaving(HWND window) {
  if (focus_ != window) return;
  const Window* gone = windows_.Find(window);
  const HWND owner = gone ? gone->owner : nullptr;
  const Window* heir = windows_.Find(owner);
  focus_ = heir && !heir->destroying ? owner : nullptr;
}

void System::Key(UINT virtual_key, bool down) {
  virtual_key &= 0xFF;
  const bool was_held = keys_held_[virtual_key];
  keys_held_[virtual_key] = down;
  if (!focus_ || !windows_.Find(focus_)) return;
  const bool alt = keys_held_[VK_MENU];
  // With Ctrl held too, Alt makes ordinary key messages (Ctrl+Alt is AltGr).
  const bool system_key =
      !keys_held_[VK_CONTROL] && (alt || virtual_key == VK_MENU || virtual_key == VK_F10);
  WORD flags = 0;
  if (system_key && alt) flags |= KF_ALTDOWN;
  if (was_held || !down) flags |= KF_REPEAT;  // the key's state before this message
  if (!down) flags |= KF_UP;
  const UINT message =
      system_key ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
  Post(focus_, message, virtual_key, MAKELPARAM(1, flags));
}

void System::NoteKeyTaken(const MSG& msg) {
  const bool down = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
  if (down || msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP) {
    keys_taken_[msg.wParam & 0xFF] = down;
  }
}

void System::CloseRequested(HWND window) {
  if (windows_.Find(window)) Post(window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

}  // namespace win32compat
