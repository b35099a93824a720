#include "hot_region.h"

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
  if (!Contains(x, y)) return false;
  LauncherApp* app = owner_ ? owner_->Owner() : nullptr;
  if (!app) return false;
  return CarryOutAction(*app, action_, parameter_, command_);
}
