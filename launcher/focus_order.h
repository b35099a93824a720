// The keyboard's way through a page's hot regions: reading order (top to bottom, then left to
// right), one step forward or back at a time, round from the last region to the first.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>
#include <vector>

class FocusOrder {
 public:
  // No region has the focus.
  static constexpr std::int32_t kNone = -1;

  // `visible_parts[i]` is what shows of region i in the client area. A region that shows
  // nothing cannot be clicked, so the keyboard passes it over too. Regions that start at the
  // same point keep the order they were added in.
  explicit FocusOrder(std::span<const RECT> visible_parts);

  // kNone on a page where nothing can take the focus.
  std::int32_t First() const;
  // From kNone, or from a region that is not in the order, the first and the last region.
  std::int32_t After(std::int32_t region) const;
  std::int32_t Before(std::int32_t region) const;

 private:
  // The position of `region` in the order, or -1.
  std::int32_t PositionOf(std::int32_t region) const;

  std::vector<std::int32_t> regions_;  // in reading order
};
