#include "hot_region.h"

#include <algorithm>

#include "launcher_app.h"
#include "menu_page.h"
#include "region_actions.h"

HotRegion::HotRegion() = default;

HotRegion::~HotRegion() = default;

void HotRegion::SetRectangle(std::int32_t x, std::int32_t y, std::int32_t width,
                             std::int32_t height) {
  x_ = x;
  y_ = y;
  width_ = width;
  height_ = height;
}

bool HotRegion::Contains(std::int32_t x, std::int32_t y) const {
  // 64-bit sums: a rectangle near the edge of the 32-bit range must not overflow.
  return x > x_ && std::int64_t{x} < std::int64_t{x_} + width_ && y > y_ &&
         std::int64_t{y} < std::int64_t{y_} + height_;
}

bool HotRegion::Hover(std::int32_t x, std::int32_t y) const {
  if (!Contains(x, y)) return false;
  if (LauncherApp* app = owner_ ? owner_->Owner() : nullptr) app->UseCursor(app->HandCursor());
  return true;
}

bool HotRegion::Click(std::int32_t x, std::int32_t y) {
  return Contains(x, y) && Activate();
}

bool HotRegion::Activate() {
  LauncherApp* app = owner_ ? owner_->Owner() : nullptr;
  if (!app) return false;
  return CarryOutAction(*app, action_, parameter_, command_);
}

RECT HotRegion::VisiblePart(const RECT& client) const {
  // 64-bit: the far edges of a rectangle near the end of the 32-bit range must not overflow.
  const std::int64_t left = std::max<std::int64_t>(std::int64_t{x_} + 1, client.left);
  const std::int64_t top = std::max<std::int64_t>(std::int64_t{y_} + 1, client.top);
  const std::int64_t right = std::min<std::int64_t>(std::int64_t{x_} + width_, client.right);
  const std::int64_t bottom = std::min<std::int64_t>(std::int64_t{y_} + height_, client.bottom);
  if (left >= right || top >= bottom) return RECT{};
  return RECT{static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(right),
              static_cast<LONG>(bottom)};
}
