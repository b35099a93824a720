#include "win32_test.h"

Win32Test* Win32Test::current_ = nullptr;

namespace {

constexpr char kClassName[] = "Recorder";

}  // namespace

Win32Test::Win32Test(win32compat::DesktopOptions options) : desktop_(std::move(options)) {
  current_ = this;
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = Procedure;
  window_class.cbWndExtra = 16;
  window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  window_class.lpszClassName = kClassName;
  EXPECT_NE(RegisterClassA(&window_class), 0);
}

Win32Test::~Win32Test() {
  current_ = nullptr;
}

HWND Win32Test::MakeWindow(RECT rect, DWORD style, HWND owner, LPVOID create_param) {
  return CreateWindowExA(0, kClassName, "recorder", style, rect.left, rect.top,
                         rect.right - rect.left, rect.bottom - rect.top, owner, nullptr,
                         desktop_.ProgramInstance(), create_param);
}

std::vector<ReceivedMessage> Win32Test::Received(UINT message) const {
  std::vector<ReceivedMessage> matching;
  for (const ReceivedMessage& received : received_) {
    if (received.message == message) matching.push_back(received);
  }
  return matching;
}

std::vector<UINT> Win32Test::ReceivedBy(HWND window) const {
  std::vector<UINT> messages;
  for (const ReceivedMessage& received : received_) {
    if (received.window == window) messages.push_back(received.message);
  }
  return messages;
}

std::vector<UINT> Win32Test::Drain(HWND filter, UINT first, UINT last) {
  std::vector<UINT> messages;
  MSG msg;
  // Bounded: a message that keeps coming back (WM_PAINT) would otherwise never end the loop.
  while (messages.size() < 100 && PeekMessageA(&msg, filter, first, last, PM_REMOVE)) {
    messages.push_back(msg.message);
  }
  return messages;
}

LRESULT CALLBACK Win32Test::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  current_->received_.push_back(ReceivedMessage{window, message, wParam, lParam});
  const auto handler = current_->handlers_.find(message);
  if (handler != current_->handlers_.end()) return handler->second(window, wParam, lParam);
  return DefWindowProcA(window, message, wParam, lParam);
}
