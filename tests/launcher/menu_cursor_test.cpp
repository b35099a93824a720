// The pointer over the menu: a hand over a hot region, the arrow elsewhere.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "menu_run.h"

namespace {

using testing::ElementsAreArray;

struct Seen {
  std::string shown;
  std::string class_cursor;
  bool operator==(const Seen&) const = default;
};

void PrintTo(const Seen& seen, std::ostream* out) {
  *out << "{" << seen.shown << ", " << seen.class_cursor << "}";
}

const std::string kHand = "resource 102";
const std::string kArrow = "IDC_ARROW";

TEST(MenuCursorTest, TheHandOverARegionAndTheArrowElsewhereAlsoBecomeTheClassCursor) {
  MenuRun run({1024, 768});  // main window at (112, 84), client area from (115, 106)
  std::vector<Seen> seen;
  const auto look = [&] {
    run.Then([&] { seen.push_back({run.CursorShown(), run.ClassCursor()}); });
  };
  run.Then([&] { run.PointAt(460, 550); });  // the next-page button
  look();
  run.Then([&] { run.PointAt(100, 100); });
  look();
  run.Then([&] { run.PointAt(460, 550); });
  look();
  // Straight from the button onto the frame window, which shows the class cursor: the hand.
  run.Then([&] { run.desktop().MoveMouse({50, 50}); });
  look();
  // The main window's title bar shows the arrow but leaves the class cursor alone.
  run.Then([&] { run.desktop().MoveMouse({500, 95}); });
  look();
  run.Start();
  EXPECT_THAT(
      seen,
      ElementsAreArray<Seen>(
          {{kHand, kHand}, {kArrow, kArrow}, {kHand, kHand}, {kHand, kHand}, {kArrow, kHand}}));
}

TEST(MenuCursorTest, TheBorderPixelsOfARegionAreOutsideIt) {
  // The next-page button of the first page: x 425, y 524, 70 x 60.
  struct Case {
    int x;
    int y;
    const std::string& cursor;
  };
  const Case cases[] = {
      {425, 550, kArrow}, {426, 550, kHand},  {494, 550, kHand},
      {495, 550, kArrow}, {460, 524, kArrow}, {460, 525, kHand},
  };
  MenuRun run({1024, 768});
  std::vector<std::string> seen;
  std::vector<std::string> expected;
  for (const Case& c : cases) {
    run.Then([&run, c] { run.PointAt(c.x, c.y); });
    run.Then([&] { seen.push_back(run.CursorShown()); });
    expected.push_back(c.cursor);
  }
  run.Start();
  EXPECT_THAT(seen, ElementsAreArray(expected));
}

}  // namespace
