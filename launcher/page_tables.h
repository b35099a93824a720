// The fixed content of the menu, for its two layouts: the picture file, expected checksum and
// caption of each page, and every hot region in the order it is added. File names are relative
// to the start directory.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "hot_region.h"

struct RegionSpec {
  std::int32_t x;
  std::int32_t y;
  std::int32_t width;
  std::int32_t height;
  ActionCode action;
  std::int32_t parameter;
  const char* command;
};

struct PictureSpec {
  const char* file;
  std::int32_t checksum;
};

struct PageSpec {
  PictureSpec picture;
  const char* caption;
  std::span<const RegionSpec> regions;
};

// The help page shows one of two pictures and captions, by whether a backup of the start-up
// files is in place; its regions are the same in both states.
struct HelpPageSpec {
  PageSpec help;
  PageSpec restore;
};

// Pages count from 0 in the order they are added to the application. The help page comes last,
// after the fixed pages.
inline constexpr std::int32_t kHelpPageIndex = 3;

struct LayoutSpec {
  std::int32_t picture_width;
  std::int32_t picture_height;
  std::array<PageSpec, kHelpPageIndex> fixed_pages;
  HelpPageSpec help_page;
};

// 800 x 600 pictures, for desktops at least 800 pixels wide.
extern const LayoutSpec kLargeLayout;
// 640 x 480 pictures, for narrower desktops.
extern const LayoutSpec kSmallLayout;
