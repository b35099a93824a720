// Moving through the menu's pages with the mouse, as a user would, to the end.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "menu_run.h"
#include "sample_disc.h"

namespace {

using testing::ElementsAreArray;

constexpr char kWelcome[] = "Welcome to TAVO setup";
constexpr char kFarewell[] = "YOU'VE MADE THE BRIVANT CHOICE";

struct Click {
  int x;
  int y;
  const char* title_after;
};

struct Layout {
  const char* what;
  SIZE screen;
  Click next_from_welcome;
  Click help_from_install;
  Click install_from_help;
  Click next_from_install;
  Click quit;
};

const Layout kLayouts[] = {
    {"large",
     {1024, 768},
     {460, 550, kWelcome},
     {590, 550, "Help"},
     {720, 550, kWelcome},
     {690, 550, kFarewell},
     {710, 550, nullptr}},
    {"small",
     {640, 480},
     {370, 440, kWelcome},
     {470, 440, "Help"},
     {570, 440, kWelcome},
     {550, 440, kFarewell},
     {570, 440, nullptr}},
};

TEST(MenuNavigationTest, TheUserWalksThroughEveryPageAndQuits) {
  for (const Layout& layout : kLayouts) {
    SCOPED_TRACE(layout.what);
    MenuRun run(layout.screen);
    std::vector<std::string> titles;
    std::vector<std::string> expected;
    run.Then([&] { titles.push_back(run.Title()); });
    expected.push_back(kWelcome);
    for (const Click& click : {layout.next_from_welcome, layout.help_from_install,
                               layout.install_from_help, layout.next_from_install}) {
      run.Then([&run, click] { run.ClickAt(click.x, click.y); });
      run.Then([&] { titles.push_back(run.Title()); });
      expected.push_back(click.title_after);
    }
    run.Then([&] { run.ClickAt(layout.quit.x, layout.quit.y); });
    bool ran_after_quit = false;
    run.Then([&] { ran_after_quit = true; });

    EXPECT_EQ(run.Start(), 1);
    EXPECT_THAT(titles, ElementsAreArray(expected));
    EXPECT_FALSE(run.desktop().InputExhausted()) << "the menu quit by itself";
    EXPECT_FALSE(ran_after_quit);
    EXPECT_FALSE(run.MainWindow().has_value());
  }
}

TEST(MenuNavigationTest, TheHelpPageShowsRestoreWhileTheBackupMarkerExists) {
  enum class Marker { kNone, kFile, kFolder };
  struct Case {
    const Layout& layout;
    Marker marker;
    const char* title;
  };
  // A folder of the marker's name is no marker: Windows will not open a folder as a file.
  const Case cases[] = {
      {kLayouts[0], Marker::kNone, "Help"},   {kLayouts[0], Marker::kFile, "Restore"},
      {kLayouts[1], Marker::kNone, "Help"},   {kLayouts[1], Marker::kFile, "Restore"},
      {kLayouts[0], Marker::kFolder, "Help"},
  };
  const char* const marker_names[] = {", no marker", ", marker", ", marker folder"};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.layout.what) + marker_names[static_cast<int>(c.marker)]);
    MenuRun run(c.layout.screen, c.marker == Marker::kFile);
    if (c.marker == Marker::kFolder) std::filesystem::create_directory(HostFile("c:\\brivant.res"));
    std::vector<std::string> titles;
    for (const Click& click :
         {c.layout.next_from_welcome, c.layout.help_from_install, c.layout.install_from_help}) {
      run.Then([&run, click] { run.ClickAt(click.x, click.y); });
      run.Then([&] { titles.push_back(run.Title()); });
    }
    run.Start();
    // The help page's regions are the same in both states: its way back works in both.
    EXPECT_THAT(titles, ElementsAreArray({kWelcome, c.title, kWelcome}));
  }
}

TEST(MenuNavigationTest, TurningThePageRepaintsThePictureWithoutErasingIt) {
  MenuRun run({1024, 768});
  CopySampleDisc(run.StartDirectory());
  std::size_t paints_before = 0;
  std::size_t fills_before = 0;
  run.Then([&] {
    paints_before = run.desktop().Paints().size();
    fills_before = run.desktop().Fills().size();
    run.ClickAt(460, 550);
  });
  run.Start();
  const auto& paints = run.desktop().Paints();
  ASSERT_GT(paints.size(), paints_before);
  for (std::size_t i = paints_before; i < paints.size(); ++i) {
    EXPECT_FALSE(paints[i].background_erased);
  }
  EXPECT_EQ(run.desktop().Fills().size(), fills_before);
}

TEST(MenuNavigationTest, ClicksOnTheFrameWindowDoNothing) {
  MenuRun run({1024, 768});
  std::string title;
  std::string cursor_over_region;
  run.Then([&] { run.desktop().Click({5, 5}); });
  run.Then([&] { run.desktop().Click({1000, 700}); });
  run.Then([&] {
    title = run.Title();
    run.PointAt(460, 550);
  });
  run.Then([&] { cursor_over_region = run.CursorShown(); });
  run.Start();
  EXPECT_EQ(title, kWelcome);
  EXPECT_EQ(cursor_over_region, "resource 102") << "still on the first page";
  EXPECT_TRUE(run.desktop().InputExhausted());
}

}  // namespace
