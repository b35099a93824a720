// The keyboard's order through a page's hot regions: reading order whatever the order they were
// added in, regions that show nothing passed over, and both ends joined.
#include "focus_order.h"

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using testing::ElementsAreArray;

constexpr std::int32_t kNone = FocusOrder::kNone;

struct Case {
  const char* what;
  std::vector<RECT> visible_parts;     // of regions 0, 1, ... in the order added
  std::vector<std::int32_t> expected;  // the regions in the keyboard's order
};

const Case kCases[] = {
    {"one row, added right to left", {{400, 10, 450, 40}, {100, 10, 150, 40}, {250, 10, 300, 40}},
     {1, 2, 0}},
    {"a higher region comes first, however far right",
     {{10, 200, 60, 240}, {700, 100, 750, 140}, {300, 200, 350, 240}},
     {1, 0, 2}},
    // Rows are not guessed: one pixel higher is an earlier row.
    {"tops one pixel apart", {{10, 101, 60, 140}, {300, 100, 350, 140}}, {1, 0}},
    {"same place: the order added", {{50, 50, 90, 90}, {50, 50, 70, 70}}, {0, 1}},
    {"nothing showing is passed over",
     {{10, 10, 50, 50}, {}, {60, 10, 100, 10}, {110, 10, 150, 50}},
     {0, 3}},
    {"one region", {{10, 10, 50, 50}}, {0}},
    {"no region", {}, {}},
    {"no region shows", {{}, {5, 5, 5, 9}}, {}},
};

// Steps from no focus through every region and one more, which comes round to the start.
std::vector<std::int32_t> Walk(const FocusOrder& order, bool forward, std::size_t steps) {
  std::vector<std::int32_t> visited;
  std::int32_t focus = kNone;
  for (std::size_t i = 0; i < steps; ++i) {
    focus = forward ? order.After(focus) : order.Before(focus);
    visited.push_back(focus);
  }
  return visited;
}

TEST(FocusOrderTest, ForwardAndBackThroughTheRegionsInReadingOrderAndRound) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    const FocusOrder order(c.visible_parts);
    std::vector<std::int32_t> forward = c.expected;
    std::vector<std::int32_t> back(c.expected.rbegin(), c.expected.rend());
    if (c.expected.empty()) {
      forward = back = {kNone};
    } else {
      forward.push_back(c.expected.front());
      back.push_back(c.expected.back());
    }
    EXPECT_EQ(order.First(), c.expected.empty() ? kNone : c.expected.front());
    EXPECT_THAT(Walk(order, true, forward.size()), ElementsAreArray(forward));
    EXPECT_THAT(Walk(order, false, back.size()), ElementsAreArray(back));
  }
}

// A region the focus was on that is no longer in the order (the page was rebuilt with fewer, or
// it no longer shows) is as good as no focus.
TEST(FocusOrderTest, FromARegionOutsideTheOrderTheStepsStartAtTheEnds) {
  const FocusOrder order(std::vector<RECT>{{10, 10, 50, 50}, {}, {60, 10, 100, 50}});
  for (const std::int32_t stale : {1, 7}) {
    EXPECT_EQ(order.After(stale), 0) << stale;
    EXPECT_EQ(order.Before(stale), 2) << stale;
  }
}

}  // namespace
