// Leaving the menu the ways Windows offers besides its Quit button: Alt+F4, and the close of
// the window manager on either window. The menu passes these to DefWindowProcA, which closes the
// window; the main window's end ends the program as Quit does, and the frame window takes the
// main window, which it owns, with it. Other keys do nothing.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "menu_run.h"
#include "sample_disc.h"

namespace {

TEST(MenuClosingTest, AltF4AndTheWindowManagersCloseEndTheMenuOtherKeysDoNot) {
  const struct {
    const char* what;
    std::function<void(MenuRun&)> input;
    bool ends;
  } cases[] = {
      {"Alt+F4",
       [](MenuRun& run) {
         run.desktop().PressKeys({VK_MENU, VK_F4});
       },
       true},
      {"closing the main window",
       [](MenuRun& run) { run.desktop().CloseWindow(run.MainWindow()->handle); }, true},
      {"closing the frame window",
       [](MenuRun& run) { run.desktop().CloseWindow(run.FrameWindow()->handle); }, true},
      {"Alt+F4 on the frame window, clicked first",
       [](MenuRun& run) {
         run.desktop().MoveMouse({5, 5});
         run.desktop().Click({5, 5});
         run.desktop().PressKeys({VK_MENU, VK_F4});
       },
       true},
      {"Escape, Return, Space, F4, Q and Alt alone",
       [](MenuRun& run) {
         for (const int key : {VK_ESCAPE, VK_RETURN, VK_SPACE, VK_F4, int{'Q'}, VK_MENU}) {
           run.desktop().PressKeys({static_cast<UINT>(key)});
         }
       },
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    MenuRun run({1024, 768});
    CopySampleDisc(run.StartDirectory());
    run.Then([&] { c.input(run); });
    std::optional<std::string> title_after;
    run.Then([&] { title_after = run.Title(); });
    EXPECT_EQ(run.Start(), 1);
    EXPECT_EQ(run.desktop().InputExhausted(), !c.ends) << "the menu ended by itself";
    EXPECT_EQ(title_after.has_value(), !c.ends);
    EXPECT_FALSE(run.MainWindow().has_value());
  }
}

}  // namespace
