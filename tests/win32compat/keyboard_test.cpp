// The keyboard as Windows delivers it: key messages to the focused window, their system forms
// while Alt is held, characters made by TranslateMessage, and closing by Alt+F4 or the window
// manager through WM_SYSCOMMAND, WM_CLOSE and DefWindowProcA.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>
#include <vector>

#include "win32_test.h"

namespace {

using testing::ElementsAreArray;
using Delivered = std::pair<UINT, WPARAM>;  // message, wParam

class KeyboardTest : public Win32Test {
 protected:
  // What a program's loop does with what is queued: translate, then dispatch.
  void Pump() {
    MSG msg;
    for (int i = 0; i < 100 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }

  std::vector<Delivered> KeyMessagesOf(HWND window) const {
    std::vector<Delivered> keys;
    for (const ReceivedMessage& received : received_) {
      const bool key = received.message >= WM_KEYFIRST && received.message <= WM_KEYLAST;
      if (received.window == window && key) keys.emplace_back(received.message, received.wParam);
    }
    return keys;
  }

  HWND ShownWindow(RECT rect, HWND owner = nullptr) {
    const HWND window = MakeWindow(rect, WS_POPUP, owner);
    ShowWindow(window, SW_SHOW);
    return window;
  }
};

TEST_F(KeyboardTest, KeysReachTheFocusedWindowWithTheCharactersTheyMake) {
  const struct {
    const char* what;
    std::initializer_list<UINT> keys;
    std::vector<Delivered> delivered;
  } cases[] = {
      {"a letter", {'A'}, {{WM_KEYDOWN, 'A'}, {WM_CHAR, 'a'}, {WM_KEYUP, 'A'}}},
      {"Shift and a letter",
       {VK_SHIFT, 'A'},
       {{WM_KEYDOWN, VK_SHIFT},
        {WM_KEYDOWN, 'A'},
        {WM_CHAR, 'A'},
        {WM_KEYUP, 'A'},
        {WM_KEYUP, VK_SHIFT}}},
      {"Ctrl+C",
       {VK_CONTROL, 'C'},
       {{WM_KEYDOWN, VK_CONTROL},
        {WM_KEYDOWN, 'C'},
        {WM_CHAR, 3},
        {WM_KEYUP, 'C'},
        {WM_KEYUP, VK_CONTROL}}},
      {"Alt and a letter",
       {VK_MENU, 'X'},
       {{WM_SYSKEYDOWN, VK_MENU},
        {WM_SYSKEYDOWN, 'X'},
        {WM_SYSCHAR, 'x'},
        {WM_SYSKEYUP, 'X'},
        {WM_SYSKEYUP, VK_MENU}}},
      {"F10 alone", {VK_F10}, {{WM_SYSKEYDOWN, VK_F10}, {WM_SYSKEYUP, VK_F10}}},
      {"Return", {VK_RETURN}, {{WM_KEYDOWN, VK_RETURN}, {WM_CHAR, '\r'}, {WM_KEYUP, VK_RETURN}}},
  };
  const HWND window = ShownWindow({0, 0, 100, 100});
  const HWND other = ShownWindow({200, 0, 300, 100});
  SetFocus(window);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    received_.clear();
    desktop_.PressKeys(c.keys);
    Pump();
    EXPECT_THAT(KeyMessagesOf(window), ElementsAreArray(c.delivered));
    EXPECT_THAT(KeyMessagesOf(other), testing::IsEmpty());
  }
}

TEST_F(KeyboardTest, KeyMessagesCarryTheRepeatCountAndTheKeysStateInLParam) {
  const HWND window = ShownWindow({0, 0, 100, 100});
  desktop_.PressKeys({VK_MENU, 'X'});
  Pump();
  std::vector<WORD> flags;
  for (const ReceivedMessage& received : received_) {
    if (received.message == WM_SYSKEYDOWN || received.message == WM_SYSKEYUP) {
      EXPECT_EQ(LOWORD(received.lParam), 1) << "repeat count";
      flags.push_back(HIWORD(received.lParam) & (KF_ALTDOWN | KF_REPEAT | KF_UP));
    }
  }
  EXPECT_THAT(flags, ElementsAreArray<WORD>({KF_ALTDOWN, KF_ALTDOWN, KF_ALTDOWN | KF_REPEAT | KF_UP,
                                             KF_REPEAT | KF_UP}));
  EXPECT_EQ(GetFocus(), window);
  EXPECT_EQ(GetKeyState(VK_MENU), 0);
}

TEST_F(KeyboardTest, TheFocusFollowsActivationAndClicksAndFallsToTheOwner) {
  const HWND owner = ShownWindow({0, 0, 100, 100});
  EXPECT_EQ(GetFocus(), owner);
  const HWND owned = ShownWindow({200, 0, 300, 100}, owner);
  EXPECT_EQ(GetFocus(), owned) << "shown and activated";
  ShowWindow(MakeWindow({400, 0, 500, 100}), SW_SHOWNA);
  EXPECT_EQ(GetFocus(), owned) << "shown without activation";
  desktop_.MoveMouse({50, 50});
  desktop_.Click({50, 50});
  EXPECT_EQ(GetFocus(), owner) << "clicked";
  EXPECT_EQ(SetFocus(owned), owner);
  DestroyWindow(owned);
  EXPECT_EQ(GetFocus(), owner);
  DestroyWindow(owner);
  EXPECT_EQ(GetFocus(), nullptr);
  desktop_.PressKeys({'A'});
  EXPECT_THAT(Drain(nullptr, WM_KEYFIRST, WM_KEYLAST), testing::IsEmpty())
      << "keys without a focused window go nowhere";
}

TEST_F(KeyboardTest, AltF4AndTheWindowManagersCloseDestroyTheWindowThroughItsClose) {
  enum class Input { kAltF4, kF4, kWindowManagerClose };
  const struct {
    const char* what;
    Input input;
    bool program_keeps_window;  // its procedure answers WM_CLOSE itself
    bool destroyed;
  } cases[] = {
      {"Alt+F4", Input::kAltF4, false, true},
      {"the window manager's close", Input::kWindowManagerClose, false, true},
      {"F4 alone", Input::kF4, false, false},
      {"a program that refuses to close", Input::kAltF4, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    received_.clear();
    handlers_.clear();
    if (c.program_keeps_window) handlers_[WM_CLOSE] = [](HWND, WPARAM, LPARAM) { return 0; };
    const HWND window = ShownWindow({0, 0, 100, 100});
    switch (c.input) {
      case Input::kAltF4:
        desktop_.PressKeys({VK_MENU, VK_F4});
        break;
      case Input::kF4:
        desktop_.PressKeys({VK_F4});
        break;
      case Input::kWindowManagerClose:
        desktop_.CloseWindow(window);
        break;
    }
    Pump();
    EXPECT_EQ(IsWindow(window) == FALSE, c.destroyed);
    const std::vector<ReceivedMessage> commands = Received(WM_SYSCOMMAND);
    if (c.input != Input::kF4) {
      ASSERT_EQ(commands.size(), 1u);
      EXPECT_EQ(commands[0].wParam & 0xFFF0, static_cast<WPARAM>(SC_CLOSE));
      EXPECT_EQ(Received(WM_CLOSE).size(), 1u);
    } else {
      EXPECT_TRUE(commands.empty());
    }
    EXPECT_EQ(Received(WM_DESTROY).size(), c.destroyed ? 1u : 0u);
    if (IsWindow(window)) DestroyWindow(window);
  }
}

}  // namespace
