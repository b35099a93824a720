// The page pictures of the sample disc as the user sees them, and the pages whose picture is
// damaged: the menu tells the user and goes on without the picture.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "menu_run.h"
#include "page_tables.h"
#include "sample_disc.h"

namespace {

namespace fs = std::filesystem;

struct Click {
  int x;
  int y;
};

// A walk over every page of a layout: Next from the welcome page, Help from the install page,
// back to the install page, Next to the farewell page.
struct LayoutWalk {
  const char* what;
  SIZE screen;
  const char* suffix;  // of the picture files: "" or "l"
  Click next_from_welcome;
  Click help_from_install;
  Click install_from_help;
  Click next_from_install;
};

const LayoutWalk kWalks[] = {
    {"large", {1024, 768}, "", {460, 550}, {590, 550}, {720, 550}, {690, 550}},
    {"small", {640, 480}, "l", {370, 440}, {470, 440}, {570, 440}, {550, 440}},
};

std::string PictureFile(int number, const char* suffix) {
  return "brivant/" + std::to_string(number) + suffix + ".dat";
}

void OverwriteBytes(const fs::path& file, std::int64_t offset, const std::vector<char>& bytes) {
  std::fstream stream(file, std::ios::in | std::ios::out | std::ios::binary);
  stream.seekp(offset, offset < 0 ? std::ios::end : std::ios::beg);
  stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The mean brightness (0 to 255) of the brightest of picture rows y - 1 to y + 1 between columns
// left and right (exclusive): an outline drawn between pixel rows spreads over two of them.
double OutlineBrightness(const Lumarc::BitmapImage& picture, int y, int left, int right) {
  double brightest = 0;
  for (int row = y - 1; row <= y + 1; ++row) {
    double sum = 0;
    for (int x = left; x < right; ++x) {
      const COLORREF pixel = PicturePixel(picture, x, row);
      sum += 0.299 * GetRValue(pixel) + 0.587 * GetGValue(pixel) + 0.114 * GetBValue(pixel);
    }
    brightest = std::max(brightest, sum / (right - left));
  }
  return brightest;
}

long MainWindowDifferingFrom(MenuRun& run, const Lumarc::BitmapImage* picture) {
  return ClientPixelsDifferingFrom(run.desktop(), run.MainWindow().value().handle, picture);
}

// The hot regions run past the bottom of the client area, which is smaller than the picture by
// the window's frame and title bar. Each button of the sample pictures is drawn whole in the part
// of its region that shows: its light outline runs along the bottom of that part as along its
// top, where a button drawn over the whole region would show only its fill there.
TEST(PagePictureTest, EveryButtonShowsWholeInsideTheClientArea) {
  const struct {
    const LayoutSpec& layout;
    SIZE screen;
  } layouts[] = {{kLargeLayout, {1024, 768}}, {kSmallLayout, {640, 480}}};
  for (const auto& [layout, screen] : layouts) {
    MenuRun run(screen);
    CopySampleDisc(run.StartDirectory());
    RECT client{};
    run.Then([&] { client = run.MainWindow().value().client; });
    run.Start();
    const PageSpec* pages[] = {&layout.fixed_pages[0], &layout.fixed_pages[1],
                               &layout.fixed_pages[2], &layout.help_page.help,
                               &layout.help_page.restore};
    for (const PageSpec* page : pages) {
      std::string file = page->picture.file;
      std::replace(file.begin(), file.end(), '\\', '/');
      Lumarc::BitmapImage picture;
      DecodeSampleDiscPicture(file, picture);
      for (const RegionSpec& region : page->regions) {
        const int right = std::min<int>(region.x + region.width, client.right - client.left);
        const int bottom = std::min<int>(region.y + region.height, client.bottom - client.top);
        // Clear of the rounded corners.
        const int left = region.x + 12;
        const int inner_right = right - 12;
        const double top_outline = OutlineBrightness(picture, region.y + 1, left, inner_right);
        const double bottom_outline = OutlineBrightness(picture, bottom - 2, left, inner_right);
        EXPECT_GT(bottom_outline, 0.85 * top_outline)
            << file << ": the button of the region at " << region.x << ", " << region.y;
      }
    }
  }
}

TEST(PagePictureTest, EveryPageShowsItsPictureCutToTheClientArea) {
  for (const LayoutWalk& walk : kWalks) {
    SCOPED_TRACE(walk.what);
    MenuRun run(walk.screen);
    CopySampleDisc(run.StartDirectory());
    std::vector<long> differing;
    std::vector<int> pictures_seen;
    const auto check_page = [&](int picture_number) {
      run.Then([&, picture_number] {
        Lumarc::BitmapImage picture;
        DecodeSampleDiscPicture(PictureFile(picture_number, walk.suffix), picture);
        differing.push_back(MainWindowDifferingFrom(run, &picture));
        pictures_seen.push_back(picture_number);
      });
    };
    const auto click = [&](Click at) { run.Then([&run, at] { run.ClickAt(at.x, at.y); }); };
    check_page(1);
    click(walk.next_from_welcome);
    check_page(2);
    click(walk.help_from_install);
    check_page(4);
    click(walk.install_from_help);
    click(walk.next_from_install);
    check_page(3);

    EXPECT_EQ(run.Start(), 1);
    EXPECT_EQ(pictures_seen, (std::vector<int>{1, 2, 4, 3}));
    EXPECT_EQ(differing, (std::vector<long>{0, 0, 0, 0}));
    EXPECT_TRUE(run.desktop().MessageBoxes().empty());
  }
}

TEST(PagePictureTest, TheRestorePictureShowsWhileABackupIsInPlace) {
  for (const LayoutWalk& walk : kWalks) {
    SCOPED_TRACE(walk.what);
    MenuRun run(walk.screen, /*backup_marker=*/true);
    CopySampleDisc(run.StartDirectory());
    long differing = -1;
    run.Then([&] { run.ClickAt(walk.next_from_welcome.x, walk.next_from_welcome.y); });
    run.Then([&] { run.ClickAt(walk.help_from_install.x, walk.help_from_install.y); });
    run.Then([&] {
      Lumarc::BitmapImage restore;
      DecodeSampleDiscPicture(PictureFile(5, walk.suffix), restore);
      differing = MainWindowDifferingFrom(run, &restore);
    });

    run.Start();
    EXPECT_EQ(differing, 0);
  }
}

// The welcome page of the large layout, whose picture each case damages.
constexpr char kWelcomePicture[] = "brivant/1.dat";
constexpr Click kNext = {460, 550};
constexpr Click kHelp = {590, 550};

struct DamagedPage {
  std::vector<std::string> boxes;  // "text / title", with an owner marked
  long differing_from_black = -1;
  std::string title_after_help;
};

DamagedPage RunWithDamagedWelcomePicture(std::int64_t offset, const std::vector<char>& bytes) {
  MenuRun run({1024, 768});
  CopySampleDisc(run.StartDirectory());
  OverwriteBytes(run.StartDirectory() / kWelcomePicture, offset, bytes);
  DamagedPage seen;
  run.Then([&] {
    // All pictures are loaded before the windows are made: every box is there already.
    for (const auto& box : run.desktop().MessageBoxes()) {
      seen.boxes.push_back(box.request.text + " / " + box.request.caption +
                           (box.request.owner ? " (owned)" : ""));
    }
  });
  run.Then([&] { seen.differing_from_black = MainWindowDifferingFrom(run, nullptr); });
  run.Then([&] { run.ClickAt(kNext.x, kNext.y); });
  run.Then([&] { run.ClickAt(kHelp.x, kHelp.y); });
  run.Then([&] { seen.title_after_help = run.Title(); });
  EXPECT_EQ(run.Start(), 1);
  EXPECT_EQ(run.desktop().MessageBoxes().size(), seen.boxes.size()) << "a box after start";
  return seen;
}

TEST(PagePictureTest, AChecksumFailureGivesOneBoxAndABlackPageThatStillWorks) {
  // The first sampled byte of a picture file.
  const DamagedPage page = RunWithDamagedWelcomePicture(8192, {'\x5a'});

  EXPECT_EQ(page.boxes, (std::vector<std::string>{"Checksum Error / Error"}));
  EXPECT_EQ(page.differing_from_black, 0);
  EXPECT_EQ(page.title_after_help, "Help");
}

TEST(PagePictureTest, APageWithoutItsPictureIsBlackAfterAPageThatHadOne) {
  MenuRun run({1024, 768});
  CopySampleDisc(run.StartDirectory());
  OverwriteBytes(run.StartDirectory() / "brivant/2.dat", 8192, {'\x5a'});
  long welcome_differing_from_black = -1;
  long install_differing_from_black = -1;
  run.Then([&] { welcome_differing_from_black = MainWindowDifferingFrom(run, nullptr); });
  run.Then([&] { run.ClickAt(kNext.x, kNext.y); });
  run.Then([&] { install_differing_from_black = MainWindowDifferingFrom(run, nullptr); });
  run.Start();

  EXPECT_GT(welcome_differing_from_black, 0);
  EXPECT_EQ(install_differing_from_black, 0);
}

TEST(PagePictureTest, APictureThatPassesTheChecksumButCannotBeDecodedLeavesABlackPage) {
  // Damage where the checksum does not sample: before its first offset and after its last.
  struct Case {
    const char* what;
    std::int64_t offset;  // negative: from the end
    std::vector<char> bytes;
  };
  const Case cases[] = {
      {"no start-of-image marker", 0, {'\0', '\0'}},
      {"no end-of-image marker after the whole picture", -2, {'\0', '\0'}},
      {"a marker inside the entropy-coded data", 40000, {'\xff', '\x01'}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const DamagedPage page = RunWithDamagedWelcomePicture(c.offset, c.bytes);

    ASSERT_EQ(page.boxes.size(), 1u);
    EXPECT_NE(page.boxes[0], "Checksum Error / Error");
    EXPECT_TRUE(page.boxes[0].ends_with(" / Error")) << page.boxes[0];
    EXPECT_GT(page.boxes[0].size(), std::string(" / Error").size()) << "a box with no text";
    EXPECT_EQ(page.differing_from_black, 0);
    EXPECT_EQ(page.title_after_help, "Help");
  }
}

}  // namespace
