#include "focus_order.h"

#include <algorithm>

FocusOrder::FocusOrder(std::span<const RECT> visible_parts) {
  for (std::size_t i = 0; i < visible_parts.size(); ++i) {
    const RECT& part = visible_parts[i];
    if (part.left < part.right && part.top < part.bottom) {
      regions_.push_back(static_cast<std::int32_t>(i));
    }
  }
  std::stable_sort(regions_.begin(), regions_.end(), [&](std::int32_t a, std::int32_t b) {
    const RECT& first = visible_parts[static_cast<std::size_t>(a)];
    const RECT& second = visible_parts[static_cast<std::size_t>(b)];
    if (first.top != second.top) return first.top < second.top;
    return first.left < second.left;
  });
}

std::int32_t FocusOrder::First() const {
  return regions_.empty() ? kNone : regions_.front();
}

std::int32_t FocusOrder::After(std::int32_t region) const {
  if (regions_.empty()) return kNone;
  const std::int32_t position = PositionOf(region);
  if (position < 0) return regions_.front();
  // After the last comes the first.
  return regions_[static_cast<std::size_t>(position + 1) % regions_.size()];
}

std::int32_t FocusOrder::Before(std::int32_t region) const {
  if (regions_.empty()) return kNone;
  const std::int32_t position = PositionOf(region);
  // Before the first comes the last; from no focus, the last too.
  if (position <= 0) return regions_.back();
  return regions_[static_cast<std::size_t>(position - 1)];
}

std::int32_t FocusOrder::PositionOf(std::int32_t region) const {
  const auto found = std::find(regions_.begin(), regions_.end(), region);
  return found == regions_.end() ? -1 : static_cast<std::int32_t>(found - regions_.begin());
}
