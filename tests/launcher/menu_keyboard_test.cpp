// The menu worked from the keyboard alone, run whole on the headless desktop from the sample
// disc, and read back pixel for pixel: the page shows exactly its picture until a navigation key
// is pressed, then the picture with a dotted outline just inside the focused button.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "lumarc/bitmap_image.h"
#include "menu_run.h"
#include "sample_disc.h"

namespace {

// What shows of each hot region in the client area (794 x 575 or 634 x 455): the region without
// its border pixels, cut at the bottom of the client area.
struct Layout {
  const char* what;
  SIZE screen;
  const char* suffix;  // of the picture files
  RECT welcome_reader, welcome_next;
  RECT install_setup, install_help, install_next;
  RECT help_explore, help_back;
  RECT farewell_quit;
  POINT install_next_point;
};

const Layout kLayouts[] = {
    {"large",
     {1024, 768},
     "",
     {301, 525, 370, 575},
     {426, 525, 495, 575},
     {95, 524, 209, 575},
     {561, 524, 620, 575},
     {663, 524, 722, 575},
     {36, 527, 135, 575},
     {693, 527, 762, 575},
     {690, 530, 749, 575},
     {690, 550}},
    {"small",
     {640, 480},
     "l",
     {236, 418, 290, 455},
     {343, 418, 397, 455},
     {74, 421, 163, 455},
     {450, 421, 499, 455},
     {526, 421, 575, 455},
     {25, 421, 124, 455},
     {553, 421, 597, 455},
     {554, 421, 593, 455},
     {550, 440}},
};

struct Step {
  const char* what;
  std::vector<UINT> keys;  // pressed as one chord
  bool click_install_next;
  int picture;  // brivant\N.dat
  RECT Layout::*focus;  // null: no focus shows
};

const Step kWalk[] = {
    {"before any key", {}, false, 1, nullptr},
    {"Enter with no focus", {VK_RETURN}, false, 1, nullptr},
    {"Space with no focus", {VK_SPACE}, false, 1, nullptr},
    {"Tab", {VK_TAB}, false, 1, &Layout::welcome_reader},
    {"Tab again", {VK_TAB}, false, 1, &Layout::welcome_next},
    {"Tab round to the first", {VK_TAB}, false, 1, &Layout::welcome_reader},
    {"Shift+Tab round to the last", {VK_SHIFT, VK_TAB}, false, 1, &Layout::welcome_next},
    {"Left", {VK_LEFT}, false, 1, &Layout::welcome_reader},
    {"Up round", {VK_UP}, false, 1, &Layout::welcome_next},
    {"Right round", {VK_RIGHT}, false, 1, &Layout::welcome_reader},
    {"Down", {VK_DOWN}, false, 1, &Layout::welcome_next},
    {"Escape", {VK_ESCAPE}, false, 1, &Layout::welcome_next},
    {"Enter on Next", {VK_RETURN}, false, 2, &Layout::install_setup},
    {"Left round", {VK_LEFT}, false, 2, &Layout::install_next},
    {"Left", {VK_LEFT}, false, 2, &Layout::install_help},
    {"Enter on Help", {VK_RETURN}, false, 4, &Layout::help_explore},
    {"Tab", {VK_TAB}, false, 4, &Layout::help_back},
    {"Space on the way back", {VK_SPACE}, false, 2, &Layout::install_setup},
    {"the mouse turns the page", {}, true, 3, nullptr},
    {"Tab after the mouse", {VK_TAB}, false, 3, &Layout::farewell_quit},
};

bool OnOutline(const RECT& r, long x, long y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom &&
         (x == r.left || x == r.right - 1 || y == r.top || y == r.bottom - 1);
}

// The client pixels that differ from the picture with `focus` outlined as DrawFocusRect does:
// every other pixel of the outline inverted, from its top-right pixel on. An empty focus: the
// picture alone.
long PixelsDifferingFromFocusedPage(MenuRun& run, const Lumarc::BitmapImage& picture,
                                    const RECT& focus) {
  const HWND window = run.MainWindow().value().handle;
  const RECT client = run.MainWindow()->client;
  long differing = 0;
  for (long y = 0; y < client.bottom - client.top; ++y) {
    for (long x = 0; x < client.right - client.left; ++x) {
      COLORREF expected = PicturePixel(picture, x, y);
      const bool dot = (focus.right - 1 - x + y - focus.top) % 2 == 0;
      if (OnOutline(focus, x, y) && dot) expected ^= 0x00FFFFFF;
      if (run.desktop().ClientPixel(window, x, y) != expected) ++differing;
    }
  }
  return differing;
}

TEST(MenuKeyboardTest, TheKeysMoveAFocusOverTheButtonsAndClickTheFocusedOne) {
  for (const Layout& layout : kLayouts) {
    SCOPED_TRACE(layout.what);
    std::array<Lumarc::BitmapImage, 5> pictures;
    for (int page = 1; page <= 4; ++page) {
      DecodeSampleDiscPicture("brivant/" + std::to_string(page) + layout.suffix + ".dat",
                              pictures[page]);
    }
    MenuRun run(layout.screen);
    CopySampleDisc(run.StartDirectory());
    for (const Step& step : kWalk) {
      if (step.click_install_next) {
        run.Then([&] { run.ClickAt(layout.install_next_point.x, layout.install_next_point.y); });
      } else if (!step.keys.empty()) {
        run.Then([&] {
          const std::vector<UINT>& keys = step.keys;
          if (keys.size() == 1) run.desktop().PressKeys({keys[0]});
          if (keys.size() == 2) run.desktop().PressKeys({keys[0], keys[1]});
        });
      }
      run.Then([&] {
        const RECT focus = step.focus ? layout.*step.focus : RECT{};
        EXPECT_EQ(PixelsDifferingFromFocusedPage(run, pictures[step.picture], focus), 0)
            << step.what;
      });
    }
    run.Then([&] { run.desktop().PressKeys({VK_RETURN}); });  // on Quit

    EXPECT_EQ(run.Start(), 1);
    EXPECT_FALSE(run.desktop().InputExhausted()) << "Enter on Quit did not end the menu";
  }
}

// Moving the focus repaints the two buttons it leaves and reaches, not the page.
TEST(MenuKeyboardTest, MovingTheFocusRepaintsOnlyTheButtonsItLeavesAndReaches) {
  MenuRun run({1024, 768});
  CopySampleDisc(run.StartDirectory());
  std::size_t paints_before = 0;
  run.Then([&] { run.desktop().PressKeys({VK_TAB}); });
  run.Then([&] {
    paints_before = run.desktop().Paints().size();
    run.desktop().PressKeys({VK_TAB});
  });
  run.Start();
  const auto& paints = run.desktop().Paints();
  ASSERT_EQ(paints.size(), paints_before + 1);
  const RECT& area = paints.back().area;
  // The layer keeps an update region as its bounding rectangle: both buttons and what lies
  // between them on their row.
  EXPECT_EQ(area.left, 301);
  EXPECT_EQ(area.top, 525);
  EXPECT_EQ(area.right, 495);
  EXPECT_EQ(area.bottom, 575);
  EXPECT_FALSE(paints.back().background_erased);
}

}  // namespace
