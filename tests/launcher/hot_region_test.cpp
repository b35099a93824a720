// Pages, regions and the application below the whole program: the hit rule, the order in which
// overlapping regions are asked, what each action code reports, and the fixed capacities.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "hot_region.h"
#include "launcher_app.h"
#include "menu_page.h"
#include "region_actions.h"
#include "win32compat/test_desktop.h"

namespace {

using testing::ElementsAreArray;

TEST(HotRegionTest, ThePointMustLieStrictlyInsideTheRectangle) {
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  struct Case {
    std::int32_t left, top, width, height;
    std::int32_t x, y;
    bool inside;
  };
  const Case cases[] = {
      {300, 524, 70, 60, 301, 525, true},
      {300, 524, 70, 60, 369, 583, true},
      {300, 524, 70, 60, 300, 550, false},
      {300, 524, 70, 60, 370, 550, false},
      {300, 524, 70, 60, 335, 524, false},
      {300, 524, 70, 60, 335, 584, false},
      {0, 0, 2, 2, 1, 1, true},
      {0, 0, 1, 1, 0, 0, false},                           // too thin for any point
      {kMax - 10, kMax - 10, 100, 100, kMax, kMax, true},  // the far edge lies past the range
      {-100, -100, 50, 50, -75, -75, true},
  };
  for (const Case& c : cases) {
    HotRegion region;
    region.SetRectangle(c.left, c.top, c.width, c.height);
    EXPECT_EQ(region.Contains(c.x, c.y), c.inside)
        << "(" << c.x << ", " << c.y << ") in " << c.width << " x " << c.height << " at (" << c.left
        << ", " << c.top << ")";
    EXPECT_EQ(region.Hover(c.x, c.y), c.inside);
  }
}

// What the keyboard's focus outlines: exactly the pixels a click reaches, as far as they show.
TEST(HotRegionTest, TheVisiblePartIsTheClickablePixelsInsideTheClientArea) {
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr RECT kClient{0, 0, 794, 575};
  struct Case {
    std::int32_t left, top, width, height;
    RECT visible;
  };
  const Case cases[] = {
      {300, 400, 70, 60, {301, 401, 370, 460}},
      {300, 524, 70, 60, {301, 525, 370, 575}},  // cut by the bottom of the client area
      {-100, -100, 150, 120, {0, 0, 50, 20}},
      {790, 100, 50, 50, {791, 101, 794, 150}},
      {794, 100, 50, 50, {}},  // wholly right of the client area
      {10, 10, 1, 50, {}},     // too thin for any point
      {kMax - 10, kMax - 10, 100, 100, {}},
  };
  for (const Case& c : cases) {
    HotRegion region;
    region.SetRectangle(c.left, c.top, c.width, c.height);
    const RECT part = region.VisiblePart(kClient);
    EXPECT_THAT((std::vector<LONG>{part.left, part.top, part.right, part.bottom}),
                ElementsAreArray({c.visible.left, c.visible.top, c.visible.right,
                                  c.visible.bottom}))
        << c.width << " x " << c.height << " at (" << c.left << ", " << c.top << ")";
  }
}

// An application with three pages and no windows, for the actions that only move between pages.
class PagesTest : public testing::Test {
 protected:
  PagesTest() {
    for (int i = 0; i < 3; ++i) {
      pages_.push_back(std::make_unique<MenuPage>());
      app_.AddPage(pages_.back().get());
    }
  }

  win32compat::TestDesktop desktop_;
  LauncherApp app_;
  std::vector<std::unique_ptr<MenuPage>> pages_;
};

TEST_F(PagesTest, NavigationAndQuittingReportNotHandledAndTheOthersHandled) {
  struct Case {
    std::int32_t code;
    bool handled;
  };
  const Case cases[] = {{0, false}, {1, false}, {2, true}, {3, false}, {4, false}, {5, true},
                        {6, true},  {7, true},  {8, true}, {9, false}, {10, false}};
  for (const Case& c : cases) {
    EXPECT_EQ(CarryOutAction(app_, static_cast<ActionCode>(c.code), 1, "manual.pdf"), c.handled)
        << "action code " << c.code;
  }
}

TEST_F(PagesTest, PageIndicesOutsideThePagesAreIgnored) {
  app_.GoToPage(2);
  app_.NextPage();  // there is no page after the last
  EXPECT_EQ(app_.CurrentPageIndex(), 2);
  app_.GoToPage(3);
  app_.GoToPage(-1);
  EXPECT_EQ(app_.CurrentPageIndex(), 2);
  MenuPage other;
  app_.ReplacePage(3, &other);
  EXPECT_EQ(app_.PageCount(), 3);
}

TEST_F(PagesTest, APageWithoutRegionsShowsTheArrowAndTakesNoClick) {
  EXPECT_FALSE(pages_[0]->Hover(10, 10));
  EXPECT_FALSE(pages_[0]->Click(10, 10));
}

TEST(MenuPageTest, CaptionIsEmptyUntilSetAndAfterClearing) {
  MenuPage page;
  EXPECT_EQ(page.Caption(), "");
  page.SetCaption("Help");
  page.AddHotRegion(1, 2, 3, 4, ActionCode::GoToPage, 1, "");
  EXPECT_EQ(page.Caption(), "Help");
  page.ClearPage();
  EXPECT_EQ(page.Caption(), "");
  EXPECT_EQ(page.HotRegionCount(), 0);
}

TEST(MenuPageTest, RegionsBeyondTheCapacityAreDropped) {
  MenuPage page;
  for (int i = 0; i < MenuPage::kMaxHotRegions + 3; ++i) {
    page.AddHotRegion(i, 0, 10, 10, ActionCode::NextPage, 0, "");
  }
  EXPECT_EQ(page.HotRegionCount(), MenuPage::kMaxHotRegions);
  EXPECT_EQ(page.HotRegionAt(MenuPage::kMaxHotRegions - 1).Parameter(), 0);
}

// Page 0 holds two overlapping regions: first a GoToPage(2) at (100, 100), 200 x 200, then the
// region under test at (150, 150), 200 x 200. The captions name the pages.
TEST(OverlappingRegionsTest, TheLaterRegionIsAskedFirstAndOnlyAHandledClickStopsTheSearch) {
  struct Case {
    const char* what;
    ActionCode later;
    POINT click;
    const char* title;
  };
  const Case cases[] = {
      {"later one not handled: the earlier one runs after it",
       ActionCode::NextPage,
       {200, 200},
       "two"},
      {"later one handled: the earlier one is not asked",
       ActionCode::OpenDocument,
       {200, 200},
       "zero"},
      {"unknown code: not handled", static_cast<ActionCode>(10), {200, 200}, "two"},
      {"only the earlier one under the point", ActionCode::NextPage, {120, 120}, "two"},
      {"only the later one under the point", ActionCode::NextPage, {320, 320}, "one"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    win32compat::TestDesktop desktop;  // 1024 x 768
    LauncherApp app;
    app.SetPictureWidth(800);
    app.SetPictureHeight(600);
    std::vector<std::unique_ptr<MenuPage>> pages;
    for (const char* caption : {"zero", "one", "two"}) {
      pages.push_back(std::make_unique<MenuPage>());
      pages.back()->SetCaption(caption);
      app.AddPage(pages.back().get());
    }
    pages[0]->AddHotRegion(100, 100, 200, 200, ActionCode::GoToPage, 2, "");
    pages[0]->AddHotRegion(150, 150, 200, 200, c.later, 0, "manual.pdf");

    std::string title;
    std::string cursor;
    desktop.Then([&] { desktop.MoveMouse(desktop.OnClient(app.MainWindow(), 200, 200)); });
    desktop.Then([&] {
      cursor = desktop.CursorName(desktop.Cursor());
      desktop.Click(desktop.OnClient(app.MainWindow(), c.click.x, c.click.y));
    });
    desktop.Then([&] { title = desktop.Window(app.MainWindow())->title; });
    EXPECT_EQ(app.Run(desktop.ProgramInstance(), nullptr), 0);
    EXPECT_EQ(cursor, "resource 102") << "every code shows the hand";
    EXPECT_EQ(title, c.title);
  }
}

}  // namespace
