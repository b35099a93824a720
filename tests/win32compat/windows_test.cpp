// Windows: their creation and destruction messages, owner, extra bytes, frame and geometry.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "win32_test.h"

namespace {

using testing::ElementsAre;

class WindowTest : public Win32Test {
 protected:
  win32compat::WindowView ViewOf(HWND window) const {
    const auto view = desktop_.Window(window);
    EXPECT_TRUE(view.has_value());
    return view.value_or(win32compat::WindowView{});
  }
};

TEST_F(WindowTest, CreationSendsItsMessagesAndHandsOverTheCreationData) {
  int data = 0;
  LPVOID seen = nullptr;
  handlers_[WM_CREATE] = [&](HWND, WPARAM, LPARAM lParam) -> LRESULT {
    seen = reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams;
    return 0;
  };
  const HWND window = MakeWindow({0, 0, 100, 100}, WS_POPUP, nullptr, &data);
  EXPECT_THAT(ReceivedBy(window), ElementsAre(WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE));
  EXPECT_EQ(seen, &data);
  EXPECT_EQ(ViewOf(window).title, "recorder") << "default processing of WM_NCCREATE";
  EXPECT_FALSE(ViewOf(window).visible);
}

TEST_F(WindowTest, ACreationThatTheProcedureRefusesMakesNoWindow) {
  handlers_[WM_CREATE] = [](HWND, WPARAM, LPARAM) -> LRESULT { return -1; };
  EXPECT_EQ(MakeWindow({0, 0, 100, 100}), nullptr);
  EXPECT_TRUE(desktop_.Windows().empty());
}

TEST_F(WindowTest, OwnedWindowsStayAboveTheirOwnerAndGoFirstWhenItIsDestroyed) {
  const HWND owner = MakeWindow({0, 0, 1024, 768});
  const HWND owned = MakeWindow({100, 100, 200, 200}, WS_POPUP, owner);
  ShowWindow(owned, SW_SHOW);
  ShowWindow(owner, SW_SHOWMAXIMIZED);  // activating the owner raises it, but not over `owned`
  EXPECT_EQ(GetWindow(owned, GW_OWNER), owner);
  EXPECT_EQ(ViewOf(owned).owner, owner);
  ASSERT_EQ(desktop_.Windows().size(), 2u);
  EXPECT_EQ(desktop_.Windows()[0].handle, owned);

  PostMessageA(owned, WM_USER, 0, 0);
  received_.clear();
  EXPECT_TRUE(DestroyWindow(owner));
  EXPECT_THAT(ReceivedBy(owned), ElementsAre(WM_DESTROY, WM_NCDESTROY));
  EXPECT_THAT(ReceivedBy(owner), ElementsAre(WM_DESTROY, WM_NCDESTROY));
  EXPECT_EQ(received_.front().window, owned);
  EXPECT_FALSE(IsWindow(owned));
  EXPECT_TRUE(Drain().empty()) << "messages queued for a destroyed window go with it";
  EXPECT_TRUE(desktop_.Windows().empty());
  EXPECT_FALSE(DestroyWindow(owner));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(WindowTest, ExtraBytesStartAtZeroAndHoldPointersPerWindow) {
  const HWND first = MakeWindow({0, 0, 10, 10});
  const HWND second = MakeWindow({0, 0, 10, 10});
  int object = 0;
  EXPECT_EQ(GetWindowLongPtrA(first, 0), 0);
  EXPECT_EQ(SetWindowLongPtrA(first, 0, reinterpret_cast<LONG_PTR>(&object)), 0);
  EXPECT_EQ(reinterpret_cast<int*>(GetWindowLongPtrA(first, 0)), &object);
  EXPECT_EQ(GetWindowLongPtrA(second, 0), 0);
  EXPECT_EQ(SetWindowLongA(first, 12, 0x1234), 0);
  EXPECT_EQ(SetWindowLongA(first, 12, 7), 0x1234) << "the previous value comes back";

  // The class gives 16 bytes: a 4-byte value at 13 and a pointer at 9 would end past them.
  SetLastError(0);
  EXPECT_EQ(GetWindowLongA(first, 13), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
  EXPECT_EQ(SetWindowLongPtrA(first, 9, 1), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
}

TEST_F(WindowTest, TheFrameTakesAFixedShareOfTheOuterRectangle) {
  struct Case {
    const char* what;
    DWORD style;
    RECT client;  // screen coordinates, for an outer rectangle of (100, 50) to (900, 650)
  };
  const Case cases[] = {
      {"overlapped: caption and fixed frame", WS_OVERLAPPED, {103, 72, 897, 647}},
      {"popup: no frame", WS_POPUP, {100, 50, 900, 650}},
      {"popup with a thin border", WS_POPUP | WS_BORDER, {101, 51, 899, 649}},
      {"overlapped with a sizing frame", WS_OVERLAPPEDWINDOW, {104, 73, 896, 646}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const HWND window = MakeWindow({100, 50, 900, 650}, c.style);
    RECT outer;
    RECT client;
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    EXPECT_EQ(outer.right - outer.left, 800);
    EXPECT_EQ(outer.bottom - outer.top, 600);
    EXPECT_EQ(ViewOf(window).client.left, c.client.left);
    EXPECT_EQ(ViewOf(window).client.top, c.client.top);
    EXPECT_EQ(client.right, c.client.right - c.client.left);
    EXPECT_EQ(client.bottom, c.client.bottom - c.client.top);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    EXPECT_EQ(origin.x, c.client.left);
    EXPECT_EQ(origin.y, c.client.top);
  }
}

TEST_F(WindowTest, TheDesktopAndTheSystemMetricsDescribeTheScreenAndTheFrame) {
  RECT desktop;
  ASSERT_TRUE(GetWindowRect(GetDesktopWindow(), &desktop));
  EXPECT_EQ(desktop.right, 1024);
  EXPECT_EQ(desktop.bottom, 768);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
  EXPECT_EQ(GetSystemMetrics(SM_CXFULLSCREEN), 1024);
  EXPECT_EQ(GetSystemMetrics(SM_CYFULLSCREEN), 768 - 19);
  EXPECT_EQ(GetSystemMetrics(SM_CYCAPTION), 19);
  EXPECT_EQ(GetSystemMetrics(SM_CXFIXEDFRAME), 3);
}

TEST_F(WindowTest, AMaximisedPopupCoversTheScreen) {
  const HWND window =
      MakeWindow({0, 0, GetSystemMetrics(SM_CXFULLSCREEN), GetSystemMetrics(SM_CYFULLSCREEN)});
  EXPECT_FALSE(ShowWindow(window, SW_SHOWMAXIMIZED));
  const win32compat::WindowView view = ViewOf(window);
  EXPECT_TRUE(view.visible);
  EXPECT_TRUE(view.maximized);
  EXPECT_EQ(view.outer.right, 1024);
  EXPECT_EQ(view.outer.bottom, 768);
  EXPECT_TRUE(ShowWindow(window, SW_SHOWNORMAL)) << "it was visible";
  EXPECT_EQ(ViewOf(window).outer.bottom, 768 - 19);
}

TEST_F(WindowTest, TitlesChangeThroughWmSetText) {
  const HWND window = MakeWindow({0, 0, 10, 10});
  EXPECT_TRUE(SetWindowTextA(window, "Help"));
  EXPECT_EQ(ViewOf(window).title, "Help");
  EXPECT_THAT(Received(WM_SETTEXT), testing::SizeIs(1));
  char title[3];
  EXPECT_EQ(GetWindowTextA(window, title, sizeof title), 2);
  EXPECT_STREQ(title, "He");
}

TEST_F(WindowTest, ClassesAreRegisteredOnce) {
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = DefWindowProcA;
  window_class.lpszClassName = "RECORDER";  // names compare without case
  EXPECT_EQ(RegisterClassA(&window_class), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
  EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                            nullptr),
            nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
}

}  // namespace
