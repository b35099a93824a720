#include "message_queue.h"

#include <algorithm>

namespace win32compat {
namespace {

const HWND kThreadMessagesOnly = reinterpret_cast<HWND>(static_cast<INT_PTR>(-1));

}  // namespace

bool MessageFilter::TakesWindow(HWND target) const {
  if (window == nullptr) return true;
  if (window == kThreadMessagesOnly) return target == nullptr;
  return target == window;
}

bool MessageFilter::TakesMessage(UINT message) const {
  if (first == 0 && last == 0) return true;
  return message >= first && message <= last;
}

bool MessageQueue::TakePosted(const MessageFilter& filter, bool remove, MSG& out) {
  const auto found = std::find_if(posted_.begin(), posted_.end(), [&](const MSG& msg) {
    return filter.TakesWindow(msg.hwnd) && filter.TakesMessage(msg.message);
  });
  if (found == posted_.end()) return false;
  out = *found;
  if (remove) posted_.erase(found);
  return true;
}

void MessageQueue::Purge(HWND window) {
  std::erase_if(posted_, [window](const MSG& msg) { return msg.hwnd == window; });
}

void MessageQueue::PostQuit(int exit_code) {
  quit_pending_ = true;
  quit_code_ = exit_code;
}

bool MessageQueue::TakeQuit(bool remove, MSG& out) {
  if (!quit_pending_) return false;
  out = MSG{};
  out.message = WM_QUIT;
  out.wParam = static_cast<WPARAM>(quit_code_);
  if (remove) quit_pending_ = false;
  return true;
}

}  // namespace win32compat
