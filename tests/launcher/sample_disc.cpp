#include "sample_disc.h"

#include <cstdlib>
#include <memory>

#include "lumarc/jpeg_decoder.h"

namespace fs = std::filesystem;

void CopySampleDisc(const fs::path& start_directory) {
  fs::copy(LUMARC_SAMPLE_DISC_DIR, start_directory,
           fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

fs::path HostFile(const char* windows_name) {
  const std::unique_ptr<char, decltype(&std::free)> full(_fullpath(nullptr, windows_name, 0),
                                                         &std::free);
  return full ? fs::path(full.get()) : fs::path();
}

void DecodeSampleDiscPicture(const std::string& relative_path, Lumarc::BitmapImage& picture) {
  Lumarc::JpegDecoder decoder;
  decoder.ReadImageFile((fs::path(LUMARC_SAMPLE_DISC_DIR) / relative_path).string(), picture);
}

COLORREF PicturePixel(const Lumarc::BitmapImage& picture, std::uint32_t x, std::uint32_t y) {
  const std::uint8_t* row = picture.PictureRow(y);
  if (picture.BitCount() == 24) return RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
  const auto& entry = picture.PaletteEntry(row[x]);
  return RGB(entry.red, entry.green, entry.blue);
}

long ClientPixelsDifferingFrom(const win32compat::TestDesktop& desktop, HWND window,
                               const Lumarc::BitmapImage* picture) {
  const auto view = desktop.Window(window);
  if (!view) return -1;
  const long width = view->client.right - view->client.left;
  const long height = view->client.bottom - view->client.top;
  if (width <= 0 || height <= 0) return -1;
  long differing = 0;
  for (long y = 0; y < height; ++y) {
    for (long x = 0; x < width; ++x) {
      const bool inside = picture && static_cast<std::uint32_t>(x) < picture->Width() &&
                          static_cast<std::uint32_t>(y) < picture->Height();
      const COLORREF expected = inside ? PicturePixel(*picture, x, y) : RGB(0, 0, 0);
      if (desktop.ClientPixel(window, x, y) != expected) ++differing;
    }
  }
  return differing;
}
