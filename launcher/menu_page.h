// One screen of the menu: a background picture, the caption for the main window's title bar and
// up to 64 hot regions.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "hot_region.h"
#include "lumarc/bitmap_image.h"

class LauncherApp;

// True when the picture file matches its expected sampled checksum (picture_checksum.h). Otherwise,
// and for a file that cannot be opened, shows "Checksum Error" and returns false.
bool VerifyPictureChecksum(const char* file_name, std::int32_t expected);

class MenuPage {
 public:
  static constexpr std::int32_t kMaxHotRegions = 64;

  MenuPage();
  virtual ~MenuPage();
  MenuPage(const MenuPage&) = delete;
  MenuPage& operator=(const MenuPage&) = delete;

  // Appends a region owned by the page. A page holds at most kMaxHotRegions; further regions
  // are dropped rather than written past the table.
  void AddHotRegion(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                    ActionCode action, std::int32_t parameter, std::string_view command);
  // Set by LauncherApp::AddPage; null while the page is being built.
  void SetOwner(LauncherApp* owner) { owner_ = owner; }
  LauncherApp* Owner() const { return owner_; }

  // Client pixels of the main window. Hover shows the hand over a region and the arrow
  // elsewhere; Click offers the click to the regions, the last added first.
  bool Hover(std::int32_t x, std::int32_t y);
  bool Click(std::int32_t x, std::int32_t y);

  void SetCaption(std::string_view caption) { caption_ = caption; }
  // Empty when no caption was set or it was cleared.
  const std::string& Caption() const { return caption_; }
  // Releases the caption and the regions; the picture stays until another one replaces it.
  void ClearPage();

  std::int32_t HotRegionCount() const { return hot_region_count_; }
  const HotRegion& HotRegionAt(std::int32_t index) const { return *hot_regions_[index]; }
  // What a click can reach of each region inside `client`, in the order added.
  std::vector<RECT> VisibleParts(const RECT& client) const;
  // The keyboard's click on region `index`: its action, whatever point the mouse is at. An
  // index outside the regions does nothing.
  void ActivateRegion(std::int32_t index);

  // The picture (page_picture.cpp). LoadPicture reads a picture file of the disc into the page
  // if it passes its checksum; PaintPicture draws it through the main window's paint, of which
  // `area` is the part being painted.
  void LoadPicture(const char* file_name, std::int32_t checksum);
  void PaintPicture(HDC dc, const RECT& area);
  const Lumarc::BitmapImage& Picture() const { return picture_; }

 private:
  Lumarc::BitmapImage picture_;
  LauncherApp* owner_ = nullptr;
  std::array<std::unique_ptr<HotRegion>, kMaxHotRegions> hot_regions_;
  std::int32_t hot_region_count_ = 0;
  std::string caption_;
};
