#include "layouts.h"

#include <array>
#include <memory>

#include "backup_marker.h"
#include "launcher_app.h"
#include "menu_page.h"
#include "page_tables.h"
#include "runtime_file.h"
#include "start_directory.h"

namespace {

constexpr int kPageCount = kHelpPageIndex + 1;

// Only the width chooses: 800 pixels and more take the 800 x 600 pictures, whatever the height.
constexpr LONG kLargeLayoutMinWidth = 800;

bool DesktopTakesLargeLayout() {
  RECT desktop{};
  GetWindowRect(GetDesktopWindow(), &desktop);
  return desktop.right >= kLargeLayoutMinWidth;
}

// The picture's checksum result is not looked at: a page whose picture fails still works.
void BuildPage(MenuPage& page, const PageSpec& entry) {
  page.LoadPicture(entry.picture.file, entry.picture.checksum);
  page.SetCaption(entry.caption);
  for (const RegionSpec& region : entry.regions) {
    page.AddHotRegion(region.x, region.y, region.width, region.height, region.action,
                      region.parameter, region.command);
  }
}

void BuildHelpPage(MenuPage& page, const HelpPageSpec& states) {
  const bool backup_in_place = CanOpenForReading(kBackupMarkerFile);
  BuildPage(page, backup_in_place ? states.restore : states.help);
}

void BuildLayout(const LayoutSpec& layout, HINSTANCE instance, HINSTANCE previous_instance) {
  LauncherApp app;
  app.SetStartDirectory(StartDirectoryBuffer());
  app.SetPictureWidth(layout.picture_width);
  app.SetPictureHeight(layout.picture_height);

  std::array<std::unique_ptr<MenuPage>, kPageCount> pages;
  for (auto& page : pages) page = std::make_unique<MenuPage>();
  for (int i = 0; i < kHelpPageIndex; ++i) BuildPage(*pages[i], layout.fixed_pages[i]);
  BuildHelpPage(*pages[kHelpPageIndex], layout.help_page);
  // The pages get their owner only now, once they are complete.
  for (auto& page : pages) app.AddPage(page.get());

  app.Run(instance, previous_instance);

  // Pages last to first, then (leaving scope) the application.
  for (int i = kPageCount - 1; i >= 0; --i) pages[i].reset();
}

}  // namespace

void BuildLayoutForDesktop(HINSTANCE instance, HINSTANCE previous_instance) {
  if (DesktopTakesLargeLayout()) {
    BuildLargeLayout(instance, previous_instance);
  } else {
    BuildSmallLayout(instance, previous_instance);
  }
}

void BuildHelpPageForDesktop(MenuPage& page) {
  if (DesktopTakesLargeLayout()) {
    BuildHelpPageLarge(page);
  } else {
    BuildHelpPageSmall(page);
  }
}

void BuildLargeLayout(HINSTANCE instance, HINSTANCE previous_instance) {
  BuildLayout(kLargeLayout, instance, previous_instance);
}

void BuildSmallLayout(HINSTANCE instance, HINSTANCE previous_instance) {
  BuildLayout(kSmallLayout, instance, previous_instance);
}

void BuildHelpPageLarge(MenuPage& page) {
  BuildHelpPage(page, kLargeLayout.help_page);
}

void BuildHelpPageSmall(MenuPage& page) {
  BuildHelpPage(page, kSmallLayout.help_page);
}
