// The page's picture: loading a picture file of the disc and painting it into the main window.
#include <array>
#include <cstdint>
#include <cstring>
#include <exception>
#include <string>

#include "lumarc/jpeg_decoder.h"
#include "menu_page.h"
#include "picture_checksum.h"
#include "runtime_file.h"

namespace {

// A page picture fills at most a screen: 64 MiB covers a 2048 x 1536 progressive colour picture
// with room to spare. The decoder's own default (512 MiB) would let four damaged pictures that
// declare huge frames take 2 GiB, the whole address space of the 32-bit program.
constexpr std::uint64_t kPictureMemoryLimit = std::uint64_t{64} << 20;

// A file that cannot be opened counts as a mismatch: the page goes without its picture either way.
bool ChecksumMatches(const std::string& path, std::int32_t expected) {
  const auto sum = PictureChecksum::Compute(path);
  return sum && *sum == expected;
}

struct DibHeader {
  BITMAPINFOHEADER header;
  std::array<RGBQUAD, 256> colours;
};

void FillDibHeader(const Lumarc::BitmapImage& picture, DibHeader& dib) {
  std::memset(&dib, 0, sizeof dib);
  dib.header.biSize = sizeof(BITMAPINFOHEADER);
  dib.header.biWidth = static_cast<LONG>(picture.Width());
  // Positive height: the rows are stored bottom-up.
  dib.header.biHeight = static_cast<LONG>(picture.Height());
  dib.header.biPlanes = 1;
  dib.header.biBitCount = static_cast<WORD>(picture.BitCount());
  dib.header.biCompression = BI_RGB;
  const std::uint32_t colour_count =
      picture.ColorCount() < dib.colours.size() ? picture.ColorCount() : dib.colours.size();
  for (std::uint32_t i = 0; i < colour_count; ++i) {
    const auto& entry = picture.PaletteEntry(i);
    dib.colours[i] = RGBQUAD{entry.blue, entry.green, entry.red, 0};
  }
}

}  // namespace

bool VerifyPictureChecksum(const char* file_name, std::int32_t expected) {
  if (ChecksumMatches(RuntimeFilePath(file_name), expected)) return true;
  MessageBoxA(nullptr, "Checksum Error", "Error", MB_OK);
  return false;
}

void MenuPage::LoadPicture(const char* file_name, std::int32_t checksum) {
  if (!VerifyPictureChecksum(file_name, checksum)) return;
  try {
    // A decoder of its own, gone once the picture is read: the page keeps only the picture.
    Lumarc::JpegDecoder decoder;
    decoder.SetMemoryLimit(kPictureMemoryLimit);
    decoder.ReadImageFile(RuntimeFilePath(file_name), picture_);
  } catch (const std::exception& error) {
    // A file that passes the sampled checksum can still be damaged where no sample looks, and
    // the decoder's errors (the GraphicsException family, or the standard library's own, such as
    // running out of memory) would otherwise end the program before any window exists. The menu
    // stays usable without the picture; a half-decoded bitmap would show a torn or zero-filled
    // page that hides the failure, so the page gets none and the user is told.
    picture_.Clear();
    MessageBoxA(nullptr, error.what(), "Error", MB_OK);
  }
}

void MenuPage::PaintPicture(HDC dc, const RECT& area) {
  if (picture_.Width() != 0 && picture_.Height() != 0) {
    DibHeader dib;
    FillDibHeader(picture_, dib);
    SetDIBitsToDevice(dc, 0, 0, picture_.Width(), picture_.Height(), 0, 0, 0, picture_.Height(),
                      picture_.PixelData(), reinterpret_cast<const BITMAPINFO*>(&dib),
                      DIB_RGB_COLORS);
  } else {
    // Page turns invalidate without erasing, so a page without a picture paints its own black:
    // otherwise the previous page's picture, with buttons where this page has none, stays.
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  }
}
