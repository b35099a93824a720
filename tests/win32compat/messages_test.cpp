// The message queue: which messages GetMessageA and PeekMessageA hand out, in which order, and
// how a scripted run ends.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "win32_test.h"

namespace {

using testing::ElementsAre;
using testing::ElementsAreArray;
using testing::IsEmpty;

const HWND kThreadMessages = reinterpret_cast<HWND>(static_cast<INT_PTR>(-1));

class MessageQueueTest : public Win32Test {
 protected:
  // Two hidden windows (no WM_PAINT) and four posted messages, one of them for the thread.
  void PostFour() {
    a_ = MakeWindow({0, 0, 10, 10});
    b_ = MakeWindow({0, 0, 10, 10});
    PostMessageA(a_, WM_USER + 1, 0, 0);
    PostMessageA(b_, WM_USER + 2, 0, 0);
    PostMessageA(nullptr, WM_USER + 3, 0, 0);
    PostMessageA(a_, WM_USER + 4, 0, 0);
  }

  HWND a_ = nullptr;
  HWND b_ = nullptr;
};

TEST_F(MessageQueueTest, PeekMessageTakesWhatItsWindowAndRangeFiltersTake) {
  enum class Filter { kAny, kWindowA, kWindowB, kThreadOnly };
  struct Case {
    const char* what;
    Filter window;
    UINT first;
    UINT last;
    std::vector<UINT> taken;
  };
  const Case cases[] = {
      {"no filter: everything in posting order",
       Filter::kAny,
       0,
       0,
       {WM_USER + 1, WM_USER + 2, WM_USER + 3, WM_USER + 4}},
      {"one window", Filter::kWindowA, 0, 0, {WM_USER + 1, WM_USER + 4}},
      {"thread messages only", Filter::kThreadOnly, 0, 0, {WM_USER + 3}},
      {"a range, every window", Filter::kAny, WM_USER + 2, WM_USER + 3, {WM_USER + 2, WM_USER + 3}},
      {"a window and a range", Filter::kWindowB, WM_USER + 1, WM_USER + 1, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PostFour();
    const HWND filters[] = {nullptr, a_, b_, kThreadMessages};
    const HWND filter = filters[static_cast<int>(c.window)];
    EXPECT_THAT(Drain(filter, c.first, c.last), ElementsAreArray(c.taken));
    Drain();  // what the filter left
  }
}

TEST_F(MessageQueueTest, NoRemoveLeavesTheMessageForTheNextCall) {
  PostFour();
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, b_, 0, 0, PM_NOREMOVE));
  ASSERT_TRUE(PeekMessageA(&msg, b_, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, WM_USER + 2u);
  EXPECT_EQ(msg.hwnd, b_);
  EXPECT_THAT(Drain(), ElementsAre(WM_USER + 1, WM_USER + 2, WM_USER + 3, WM_USER + 4));
}

TEST_F(MessageQueueTest, QuitComesAfterPostedMessagesWhateverTheFilters) {
  PostFour();
  PostQuitMessage(7);
  MSG msg;
  // Nothing posted matches this filter, yet WM_QUIT does: it ignores both filters.
  ASSERT_TRUE(PeekMessageA(&msg, b_, WM_USER + 9, WM_USER + 9, PM_NOREMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 7u);
  EXPECT_THAT(Drain(), ElementsAre(WM_USER + 1, WM_USER + 2, WM_USER + 3, WM_USER + 4, WM_QUIT));
  EXPECT_THAT(Drain(), IsEmpty());
}

TEST_F(MessageQueueTest, FiltersNamingNoWindowFail) {
  const HWND gone = MakeWindow({0, 0, 10, 10});
  DestroyWindow(gone);
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, gone, 0, 0, PM_REMOVE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_EQ(GetMessageA(&msg, gone, 0, 0), -1);
}

TEST_F(MessageQueueTest, GetMessageRunsTheScriptWhileTheQueueIsEmptyAndEndsWhenItRunsOut) {
  const HWND window = MakeWindow({0, 0, 10, 10});
  desktop_.Then([&] { PostMessageA(window, WM_USER + 1, 0, 0); });
  desktop_.Then([] {});  // a step that brings nothing: the program just waits on
  desktop_.Then([&] { PostMessageA(window, WM_USER + 2, 0, 0); });
  std::vector<UINT> got;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) got.push_back(msg.message);
  EXPECT_THAT(got, ElementsAre(WM_USER + 1, WM_USER + 2));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_TRUE(desktop_.InputExhausted());
}

TEST_F(MessageQueueTest, QuitPostedByTheProgramIsNotExhaustion) {
  desktop_.Then([] { PostQuitMessage(3); });
  MSG msg;
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), FALSE);
  EXPECT_EQ(msg.wParam, 3u);
  EXPECT_FALSE(desktop_.InputExhausted());
}

class MessageLimitTest : public Win32Test {
 protected:
  MessageLimitTest() : Win32Test(LimitedTo(50)) {}

  static win32compat::DesktopOptions LimitedTo(std::uint64_t messages) {
    win32compat::DesktopOptions options;
    options.message_limit = messages;
    return options;
  }
};

TEST_F(MessageLimitTest, AProgramThatNeverValidatesEndsAtTheLimit) {
  handlers_[WM_PAINT] = [](HWND, WPARAM, LPARAM) -> LRESULT { return 0; };  // no BeginPaint
  ShowWindow(MakeWindow({0, 0, 10, 10}), SW_SHOW);
  MSG msg;
  int dispatched = 0;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    DispatchMessageA(&msg);
    ++dispatched;
  }
  EXPECT_EQ(dispatched, 50);
  EXPECT_TRUE(desktop_.MessageLimitReached());
}

TEST_F(MessageQueueTest, DispatchCallsTheWindowProcedureAndSendCallsItAtOnce) {
  const HWND window = MakeWindow({0, 0, 10, 10});
  handlers_[WM_USER] = [](HWND, WPARAM wParam, LPARAM) -> LRESULT {
    return static_cast<LRESULT>(wParam * 2);
  };
  EXPECT_EQ(SendMessageA(window, WM_USER, 21, 0), 42);
  PostMessageA(window, WM_USER, 5, 0);
  EXPECT_THAT(Received(WM_USER), testing::SizeIs(1));  // posting calls nothing yet
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, window, WM_USER, WM_USER, PM_REMOVE));
  EXPECT_EQ(DispatchMessageA(&msg), 10);
}

}  // namespace
