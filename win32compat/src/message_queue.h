// The posted messages of the one GUI thread and its quit flag. WM_PAINT is not queued: it is
// made up from the windows' update regions when nothing else is waiting (see System).
#pragma once

#include <windows.h>

#include <deque>

namespace win32compat {

// The window and range filters of GetMessage and PeekMessage. A null window takes messages of
// every window and thread messages; (HWND)-1 takes thread messages only. A range of 0 to 0 takes
// every message.
struct MessageFilter {
  HWND window = nullptr;
  UINT first = 0;
  UINT last = 0;

  bool TakesWindow(HWND target) const;
  bool TakesMessage(UINT message) const;
};

class MessageQueue {
 public:
  void Post(const MSG& msg) { posted_.push_back(msg); }
  // Ahead of everything queued: a character made of a key message comes before the input that
  // followed the key (Windows hands out posted messages before input).
  void PostFirst(const MSG& msg) { posted_.push_front(msg); }
  // The oldest posted message that the filter takes.
  bool TakePosted(const MessageFilter& filter, bool remove, MSG& out);
  // Messages still queued for a window that is going away are dropped with it.
  void Purge(HWND window);

  void PostQuit(int exit_code);
  // WM_QUIT ignores both filters; it comes after every posted message the filter takes.
  bool TakeQuit(bool remove, MSG& out);
  bool QuitPending() const { return quit_pending_; }

 private:
  std::deque<MSG> posted_;
  bool quit_pending_ = false;
  int quit_code_ = 0;
};

}  // namespace win32compat
