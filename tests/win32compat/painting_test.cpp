// Update regions and WM_PAINT as Windows generates them.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <utility>
#include <vector>

#include "win32_test.h"

namespace {

using testing::ElementsAre;
using testing::IsEmpty;
using testing::Pair;

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class PaintingTest : public Win32Test {
 protected:
  // A shown 100 x 50 popup whose first paint (after ShowWindow) is done.
  HWND ShownWindow() {
    const HWND window = MakeWindow({10, 20, 110, 70});
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    return window;
  }
};

TEST_F(PaintingTest, PaintComesOnlyWhenNothingElseIsQueuedAndUntilTheWindowValidates) {
  const HWND window = MakeWindow({0, 0, 100, 50});
  InvalidateRect(window, nullptr, FALSE);
  PostMessageA(window, WM_USER, 0, 0);
  EXPECT_THAT(Drain(), ElementsAre(WM_USER)) << "a hidden window gets no WM_PAINT";

  ShowWindow(window, SW_SHOW);
  PostMessageA(window, WM_USER, 0, 0);
  const std::vector<UINT> drained = Drain();
  ASSERT_GE(drained.size(), 3u);
  EXPECT_EQ(drained[0], static_cast<UINT>(WM_USER));
  // PM_REMOVE does not remove WM_PAINT: it keeps coming while the update region is there.
  EXPECT_EQ(drained[1], static_cast<UINT>(WM_PAINT));
  EXPECT_EQ(drained[2], static_cast<UINT>(WM_PAINT));

  PAINTSTRUCT paint;
  BeginPaint(window, &paint);
  EndPaint(window, &paint);
  EXPECT_THAT(Drain(), IsEmpty());
}

TEST_F(PaintingTest, UpdateWindowPaintsAtOnceOnlyWhenThereIsSomethingToPaint) {
  const HWND window = ShownWindow();
  received_.clear();
  UpdateWindow(window);
  EXPECT_THAT(Received(WM_PAINT), IsEmpty());
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE);
  UpdateWindow(window);
  EXPECT_THAT(Received(WM_PAINT), testing::SizeIs(1));
  EXPECT_THAT(Drain(), IsEmpty()) << "default processing validated the window";
}

TEST_F(PaintingTest, TheBackgroundIsErasedOnlyWhenTheInvalidationAskedForIt) {
  struct Case {
    const char* what;
    std::function<void(HWND)> invalidate;
    bool erased;
  };
  const Case cases[] = {
      {"RedrawWindow RDW_INVALIDATE",
       [](HWND w) { RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE); }, false},
      {"RedrawWindow RDW_INVALIDATE | RDW_ERASE",
       [](HWND w) { RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE); }, true},
      {"InvalidateRect without erase", [](HWND w) { InvalidateRect(w, nullptr, FALSE); }, false},
      {"InvalidateRect with erase", [](HWND w) { InvalidateRect(w, nullptr, TRUE); }, true},
      {"showing a hidden window",
       [](HWND w) {
         ShowWindow(w, SW_HIDE);
         ShowWindow(w, SW_SHOW);
       },
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const HWND window = ShownWindow();
    const std::size_t fills = desktop_.Fills().size();
    received_.clear();
    c.invalidate(window);
    UpdateWindow(window);
    ASSERT_FALSE(desktop_.Paints().empty());
    EXPECT_EQ(desktop_.Paints().back().background_erased, c.erased);
    EXPECT_EQ(Received(WM_ERASEBKGND).size(), c.erased ? 1u : 0u);
    ASSERT_EQ(desktop_.Fills().size(), fills + (c.erased ? 1 : 0));
    if (c.erased) {
      EXPECT_EQ(desktop_.Fills().back().colour, RGB(0, 0, 0)) << "the class brush";
      EXPECT_TRUE(SameRect(desktop_.Fills().back().area, RECT{0, 0, 100, 50}));
    }
    DestroyWindow(window);
  }
}

TEST_F(PaintingTest, TheUpdateRegionGathersInvalidAreasWithinTheClientArea) {
  const HWND window = ShownWindow();
  const RECT first{10, 10, 20, 20};
  const RECT second{50, 30, 200, 200};  // reaches past the 100 x 50 client area
  InvalidateRect(window, &first, FALSE);
  InvalidateRect(window, &second, FALSE);
  PAINTSTRUCT paint;
  BeginPaint(window, &paint);
  EndPaint(window, &paint);
  EXPECT_TRUE(SameRect(paint.rcPaint, RECT{10, 10, 100, 50}));
  EXPECT_FALSE(paint.fErase);
}

TEST_F(PaintingTest, ValidatingPartOfTheRegionKeepsItAndValidatingAllOfItEndsIt) {
  const HWND window = ShownWindow();
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE);
  const RECT part{0, 0, 10, 10};
  ValidateRect(window, &part);
  EXPECT_TRUE(GetUpdateRect(window, nullptr, FALSE));
  RedrawWindow(window, nullptr, nullptr, RDW_VALIDATE);
  EXPECT_FALSE(GetUpdateRect(window, nullptr, FALSE));
}

// Each WM_PAINT fills what it paints white and outlines `focus_` with DrawFocusRect `draws_`
// times, as a program that keeps a focus on its picture does.
class FocusRectTest : public PaintingTest {
 protected:
  FocusRectTest() {
    handlers_[WM_PAINT] = [this](HWND window, WPARAM, LPARAM) {
      PAINTSTRUCT paint;
      const HDC dc = BeginPaint(window, &paint);
      FillRect(dc, &paint.rcPaint, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
      for (int i = 0; i < draws_; ++i) drawn_ = DrawFocusRect(dc, &focus_);
      EndPaint(window, &paint);
      return LRESULT{0};
    };
  }

  // The points (x, y) of the 100 x 50 client area that are not white, row by row.
  std::vector<std::pair<int, int>> Inverted(HWND window) const {
    std::vector<std::pair<int, int>> points;
    for (int y = 0; y < 50; ++y) {
      for (int x = 0; x < 100; ++x) {
        if (desktop_.ClientPixel(window, x, y) != RGB(255, 255, 255)) points.emplace_back(x, y);
      }
    }
    return points;
  }

  RECT focus_{};
  int draws_ = 1;
  BOOL drawn_ = FALSE;
};

// Wine's dots, read back from its screen: a width of even or odd pixels moves them along.
TEST_F(FocusRectTest, EveryOtherPixelOfTheOutlineIsInvertedFromTheTopRightPixelOn) {
  focus_ = {10, 20, 15, 24};  // 5 x 4: 14 outline pixels
  HWND window = ShownWindow();
  EXPECT_TRUE(drawn_);
  EXPECT_THAT(Inverted(window), ElementsAre(Pair(10, 20), Pair(12, 20), Pair(14, 20),
                                            Pair(10, 22), Pair(14, 22), Pair(11, 23),
                                            Pair(13, 23)));
  EXPECT_EQ(desktop_.ClientPixel(window, 10, 20), RGB(0, 0, 0));
  DestroyWindow(window);

  focus_ = {10, 20, 14, 24};  // 4 x 4
  window = ShownWindow();
  EXPECT_THAT(Inverted(window), ElementsAre(Pair(11, 20), Pair(13, 20), Pair(10, 21),
                                            Pair(13, 22), Pair(10, 23), Pair(12, 23)));
}

TEST_F(FocusRectTest, ThinAndEmptyRectanglesAndPaintsOfPartOfTheWindow) {
  struct Case {
    const char* what;
    RECT focus;
    int draws;
    std::size_t inverted;
  };
  const Case cases[] = {
      {"drawn twice, gone again", {10, 20, 15, 24}, 2, 0},
      {"one row", {10, 20, 16, 21}, 1, 3},
      {"one column", {10, 20, 11, 26}, 1, 3},
      {"two rows", {10, 20, 14, 22}, 1, 4},
      {"empty", {10, 20, 10, 30}, 1, 0},
      {"reaching past the client area", {90, 40, 200, 200}, 1, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    focus_ = c.focus;
    draws_ = c.draws;
    const HWND window = ShownWindow();
    EXPECT_EQ(Inverted(window).size(), c.inverted);
    DestroyWindow(window);
  }
}

// A paint of part of the window repaints the picture there and draws the outline again only
// there, so the outline stays whole: the pixels outside the paint are not inverted a second time.
TEST_F(FocusRectTest, APaintOfPartOfTheWindowKeepsTheOutlineWhole) {
  focus_ = {10, 20, 15, 24};
  const HWND window = ShownWindow();
  const auto whole = Inverted(window);
  const RECT left_part{0, 0, 12, 50};
  InvalidateRect(window, &left_part, FALSE);
  UpdateWindow(window);
  EXPECT_EQ(Inverted(window), whole);
}

TEST_F(FocusRectTest, OutsideAPaintNothingIsDrawn) {
  const RECT focus{0, 0, 10, 10};
  EXPECT_FALSE(DrawFocusRect(nullptr, &focus));
}

}  // namespace

namespace {

// A DIB as a program hands it to SetDIBitsToDevice: header, colour table, scan lines.
struct Dib {
  BITMAPINFOHEADER header{};
  RGBQUAD colours[256]{};
  std::vector<BYTE> bits;

  Dib(LONG width, LONG height, WORD bit_count, std::vector<BYTE> scan_lines)
      : bits(std::move(scan_lines)) {
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = bit_count;
    header.biCompression = BI_RGB;
  }
  const BITMAPINFO* Info() const { return reinterpret_cast<const BITMAPINFO*>(&header); }
};

class DibPaintingTest : public PaintingTest {
 protected:
  // Paints `dib` whole at (x, y) on the next WM_PAINT of a new 100 x 50 window.
  HWND PaintDib(const Dib& dib, int x, int y, UINT colour_use = DIB_RGB_COLORS) {
    handlers_[WM_PAINT] = [&dib, x, y, colour_use, this](HWND window, WPARAM, LPARAM) {
      PAINTSTRUCT paint;
      const HDC dc = BeginPaint(window, &paint);
      const DWORD height = static_cast<DWORD>(std::abs(dib.header.biHeight));
      result_ = SetDIBitsToDevice(dc, x, y, static_cast<DWORD>(dib.header.biWidth), height, 0, 0, 0,
                                  height, dib.bits.data(), dib.Info(), colour_use);
      EndPaint(window, &paint);
      return LRESULT{0};
    };
    return ShownWindow();
  }

  COLORREF Pixel(HWND window, int x, int y) const {
    return desktop_.ClientPixel(window, x, y).value_or(RGB(1, 2, 3));
  }

  int result_ = -1;
};

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

TEST_F(DibPaintingTest, APictureIsDrawnUprightFromItsBottomUpRows) {
  // Stored bottom row first: blue, green; then the top row: red, white. 6 bytes + 2 of padding.
  const Dib dib(2, 2, 24, {255, 0, 0, 0, 255, 0, 0, 0, 0, 0, 255, 255, 255, 255, 0, 0});
  const HWND window = PaintDib(dib, 0, 0);
  EXPECT_EQ(result_, 2);
  EXPECT_EQ(Pixel(window, 0, 0), kRed);
  EXPECT_EQ(Pixel(window, 1, 0), kWhite);
  EXPECT_EQ(Pixel(window, 0, 1), kBlue);
  EXPECT_EQ(Pixel(window, 1, 1), kGreen);
  EXPECT_EQ(Pixel(window, 2, 0), kBlack) << "the class background around it";
}

TEST_F(DibPaintingTest, ATopDownPictureStartsWithItsTopRow) {
  const Dib dib(2, -2, 24, {0, 0, 255, 255, 255, 255, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0});
  const HWND window = PaintDib(dib, 10, 20);
  EXPECT_EQ(Pixel(window, 10, 20), kRed);
  EXPECT_EQ(Pixel(window, 11, 21), kGreen);
}

TEST_F(DibPaintingTest, EightBitPixelsTakeTheirColourFromTheTable) {
  Dib dib(3, 2, 8, {10, 20, 30, 0, 40, 50, 255, 0});  // bottom row, then top row
  for (int i = 0; i < 256; ++i) {
    const BYTE level = static_cast<BYTE>(i);
    dib.colours[i] = RGBQUAD{level, level, level, 0};
  }
  dib.header.biClrUsed = 200;  // index 255 lies past the table in use: black
  const HWND window = PaintDib(dib, 0, 0);
  EXPECT_EQ(Pixel(window, 0, 0), RGB(40, 40, 40));
  EXPECT_EQ(Pixel(window, 1, 0), RGB(50, 50, 50));
  EXPECT_EQ(Pixel(window, 2, 0), kBlack);
  EXPECT_EQ(Pixel(window, 2, 1), RGB(30, 30, 30));
}

TEST_F(DibPaintingTest, DrawingStaysInsideTheClientArea) {
  const Dib dib(2, 2, 24, {255, 0, 0, 0, 255, 0, 0, 0, 0, 0, 255, 255, 255, 255, 0, 0});
  const HWND window = PaintDib(dib, 99, -1);  // only the bottom-left pixel is inside
  EXPECT_EQ(Pixel(window, 99, 0), kBlue);
  EXPECT_EQ(Pixel(window, 98, 0), kBlack);
}

TEST_F(DibPaintingTest, FormatsOutsideThePaletteAndUncompressedRgbAreRefused) {
  Dib sixteen_bits(1, 1, 16, {0, 0, 0, 0});
  PaintDib(sixteen_bits, 0, 0);
  EXPECT_EQ(result_, 0);
  const Dib palette_indices(1, 1, 8, {0, 0, 0, 0});
  PaintDib(palette_indices, 0, 0, DIB_PAL_COLORS);
  EXPECT_EQ(result_, 0);
  EXPECT_EQ(SetDIBitsToDevice(nullptr, 0, 0, 1, 1, 0, 0, 0, 1, palette_indices.bits.data(),
                              palette_indices.Info(), DIB_RGB_COLORS),
            0)
      << "outside a paint";
}

}  // namespace
