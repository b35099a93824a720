// The menu's windows as they come up, by desktop size.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>

#include "menu_run.h"

namespace {

using win32compat::WindowView;

TEST(MenuLayoutTest, TheDesktopWidthChoosesTheLayoutAndTheMainWindowIsCentredOnTheDesktop) {
  struct Case {
    const char* what;
    SIZE screen;
    RECT main;  // outer rectangle: the picture size, centred
  };
  const Case cases[] = {
      {"800 wide: large pictures", {800, 600}, {0, 0, 800, 600}},
      {"799 wide: small pictures", {799, 600}, {79, 60, 719, 540}},
      {"800 x 480: large pictures whatever the height", {800, 480}, {0, -60, 800, 540}},
      {"1024 x 768", {1024, 768}, {112, 84, 912, 684}},
      {"640 x 480", {640, 480}, {0, 0, 640, 480}},
      {"600 wide: the left edge is off the screen", {600, 480}, {-20, 0, 620, 480}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MenuRun run(c.screen);
    std::optional<WindowView> main;
    std::optional<WindowView> frame;
    run.Then([&] {
      main = run.MainWindow();
      frame = run.FrameWindow();
    });
    EXPECT_EQ(run.Start(), 1);
    ASSERT_TRUE(main && frame);
    EXPECT_EQ(main->outer.left, c.main.left);
    EXPECT_EQ(main->outer.top, c.main.top);
    EXPECT_EQ(main->outer.right, c.main.right);
    EXPECT_EQ(main->outer.bottom, c.main.bottom);
    // The title bar and borders take their share of the picture: its right and bottom edges
    // are cut off.
    EXPECT_EQ(main->client.left, c.main.left + 3);
    EXPECT_EQ(main->client.top, c.main.top + 22);
    EXPECT_EQ(main->client.right, c.main.right - 3);
    EXPECT_EQ(main->client.bottom, c.main.bottom - 3);
    EXPECT_TRUE(main->visible);
    EXPECT_EQ(main->title, "Welcome to TAVO setup");
    EXPECT_EQ(main->owner, frame->handle);
    EXPECT_EQ(main->class_name, "Install");
    EXPECT_TRUE(run.desktop().InputExhausted());
  }
}

TEST(MenuLayoutTest, TheFrameWindowCoversTheScreenInBlackAndIsTheOneUnownedWindow) {
  MenuRun run({1024, 768});
  std::optional<WindowView> frame;
  run.Then([&] { frame = run.FrameWindow(); });
  run.Start();
  ASSERT_TRUE(frame);
  EXPECT_EQ(frame->title, "Install");
  EXPECT_EQ(frame->class_name, "Install");
  EXPECT_EQ(frame->owner, nullptr);
  EXPECT_TRUE(frame->style & WS_POPUP);
  EXPECT_TRUE(frame->visible);
  EXPECT_TRUE(frame->maximized);
  EXPECT_EQ(frame->outer.left, 0);
  EXPECT_EQ(frame->outer.top, 0);
  EXPECT_EQ(frame->outer.right, 1024);
  EXPECT_EQ(frame->outer.bottom, 768);
  EXPECT_EQ(run.ClassCursor(), "IDC_ARROW");
  bool frame_painted = false;
  for (const win32compat::FillRecord& fill : run.desktop().Fills()) {
    if (fill.window == frame->handle) frame_painted = true;
    EXPECT_EQ(fill.colour, RGB(0, 0, 0)) << "nothing but the black class background";
  }
  EXPECT_TRUE(frame_painted);
}

TEST(MenuLayoutTest, TheMainWindowIsPaintedBeforeTheFirstInput) {
  MenuRun run({1024, 768});
  std::size_t paints_of_main = 0;
  run.Then([&] {
    for (const win32compat::PaintView& paint : run.desktop().Paints()) {
      if (paint.window == run.MainWindow()->handle) ++paints_of_main;
    }
  });
  run.Start();
  EXPECT_EQ(paints_of_main, 1u);
}

}  // namespace
