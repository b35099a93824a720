#include "menu_page.h"

#include "launcher_app.h"

MenuPage::MenuPage() = default;

// The caption and the regions go first, then the picture fields (declared first).
MenuPage::~MenuPage() {
  ClearPage();
}

void MenuPage::AddHotRegion(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                            ActionCode action, std::int32_t parameter, std::string_view command) {
  if (hot_region_count_ >= kMaxHotRegions) return;
  auto region = std::make_unique<HotRegion>();
  region->SetParameter(parameter);
  region->SetOwner(this);
  region->SetRectangle(x, y, width, height);
  region->SetAction(action);
  region->SetCommand(command);
  hot_regions_[hot_region_count_++] = std::move(region);
}

bool MenuPage::Hover(std::int32_t x, std::int32_t y) {
  for (std::int32_t i = hot_region_count_ - 1; i >= 0; --i) {
    if (hot_regions_[i]->Hover(x, y)) return true;
  }
  if (owner_) owner_->UseCursor(owner_->ArrowCursor());
  return false;
}

bool MenuPage::Click(std::int32_t x, std::int32_t y) {
  for (std::int32_t i = hot_region_count_ - 1; i >= 0; --i) {
    // An action that reports not handled has run already; should it have cleared the page
    // meanwhile, the regions below the new count are gone.
    if (i >= hot_region_count_) continue;
    if (hot_regions_[i]->Click(x, y)) return true;
  }
  return false;
}

std::vector<RECT> MenuPage::VisibleParts(const RECT& client) const {
  std::vector<RECT> parts;
  for (std::int32_t i = 0; i < hot_region_count_; ++i) {
    parts.push_back(hot_regions_[i]->VisiblePart(client));
  }
  return parts;
}

void MenuPage::ActivateRegion(std::int32_t index) {
  if (index >= 0 && index < hot_region_count_) hot_regions_[index]->Activate();
}

void MenuPage::ClearPage() {
  caption_.clear();
  for (std::int32_t i = 0; i < hot_region_count_; ++i) hot_regions_[i].reset();
  hot_region_count_ = 0;
}
