// The end of the session (the display gone): every top-level window hears of it, then the
// process ends at once with status 0; nothing after it runs.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "win32_test.h"
#include "win32compat/backend.h"

namespace {

class SessionEndTest : public Win32Test {
 protected:
  // Each window that hears of the end writes "<name> <wParam> <lParam>;" to standard error.
  void EndSessionOverWindows() {
    const HWND doomed = MakeWindow({0, 0, 10, 10});  // bottom: the owned window takes it down
    const HWND main = MakeWindow({0, 0, 200, 100}, WS_OVERLAPPED);
    ShowWindow(main, SW_SHOWNORMAL);
    const HWND hidden = MakeWindow({0, 0, 50, 50});
    const HWND owned = MakeWindow({10, 10, 60, 60}, WS_POPUP, main);
    ShowWindow(owned, SW_SHOWNORMAL);
    const std::map<HWND, const char*> names{
        {main, "main"}, {hidden, "hidden"}, {owned, "owned"}, {doomed, "doomed"}};
    handlers_[WM_ENDSESSION] = [&](HWND window, WPARAM ending, LPARAM why) -> LRESULT {
      std::fprintf(stderr, "%s %d %lx;", names.at(window), static_cast<int>(ending),
                   static_cast<unsigned long>(why));
      if (window == owned) DestroyWindow(doomed);
      return 0;
    };
    win32compat::EndSession();
    std::fprintf(stderr, "still running");
  }
};

TEST_F(SessionEndTest, EveryWindowGetsWmEndSessionThenTheProcessEnds) {
  // In a child process, so that the test itself goes on.
  EXPECT_EXIT(EndSessionOverWindows(), testing::ExitedWithCode(0),
              "^owned 1 c0000000;hidden 1 c0000000;main 1 c0000000;$");
}

}  // namespace
