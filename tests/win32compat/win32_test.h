// A test desktop with one window class whose procedure records every message it gets and
// leaves it to DefWindowProcA, unless the test overrides a message.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <vector>

#include "win32compat/test_desktop.h"

struct ReceivedMessage {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

class Win32Test : public testing::Test {
 protected:
  explicit Win32Test(win32compat::DesktopOptions options = {});
  ~Win32Test() override;

  // A window of the recording class: popup (no frame) unless `style` says otherwise.
  HWND MakeWindow(RECT rect, DWORD style = WS_POPUP, HWND owner = nullptr,
                  LPVOID create_param = nullptr);
  // Messages of one kind, in the order received, from any window.
  std::vector<ReceivedMessage> Received(UINT message) const;
  std::vector<UINT> ReceivedBy(HWND window) const;
  // Pulls every message the filter takes with PeekMessageA(PM_REMOVE), and their numbers.
  std::vector<UINT> Drain(HWND filter = nullptr, UINT first = 0, UINT last = 0);

  win32compat::TestDesktop desktop_;
  std::vector<ReceivedMessage> received_;
  // A handler here replaces DefWindowProcA for its message.
  std::map<UINT, std::function<LRESULT(HWND, WPARAM, LPARAM)>> handlers_;

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static Win32Test* current_;
};
