// Update regions and WM_PAINT as Windows generates them.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "win32compat_fixture.h"

namespace {

using testing::ElementsAre;
using testing::IsEmpty;

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

}  // namespace
